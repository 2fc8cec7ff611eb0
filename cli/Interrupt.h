// Ctrl+C for the command-line programs.
//
// The callback runs on a thread of its own, never inside a signal handler, so it may do real
// work (set a transfer's cancel flag, stop a server). Blocking calls on the other threads are
// not interrupted by the signal, so a socket wait never fails with "interrupted system call".
#pragma once

#include <functional>

// Call once, early in main and before any other thread starts: every later Ctrl+C (and a
// termination request) calls onInterrupt.
void WatchInterrupts(std::function<void()> onInterrupt);
