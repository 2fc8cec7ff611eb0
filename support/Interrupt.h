// Ctrl+C and its relatives for the command-line programs: whatever would end the program while a
// command runs (Ctrl+C, Ctrl+Break, a termination request, a dropped remote session, and on
// Windows the console window closed, the user logging off, the system shutting down) becomes a
// request to cancel, so that the command can clean up after itself (no scratch file is left
// beside the target) before the program ends.
//
// The callback runs on a thread of its own, never inside a signal handler, so it may do real
// work (set a transfer's cancel flag, stop a server). Blocking calls on the other threads are
// not interrupted by the signal, so a socket wait never fails with "interrupted system call".
#pragma once

#include <functional>

// Call once, early in main and before any other thread starts: every later interrupt of the
// kinds above calls onInterrupt.
void WatchInterrupts(std::function<void()> onInterrupt);

// The command has ended and cleaned up. On Windows the system ends the program as soon as the
// handler of a console close, logoff or shutdown returns, so that handler waits for this (a few
// seconds at most) after it has requested the cancel.
void InterruptedCommandEnded();
