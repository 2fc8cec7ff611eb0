#include "support/Interrupt.h"

#include <windows.h>

#include <utility>

namespace {

// How long a console close, logoff or shutdown waits for the command's clean-up: below the five
// seconds after which the system ends the program anyway.
constexpr DWORD kCleanUpWaitMs = 4000;

std::function<void()>& Callback() {
    static std::function<void()> callback;
    return callback;
}

// Set once the command has ended; made by WatchInterrupts.
HANDLE CommandEnded = nullptr;

// The system runs console control handlers on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        Callback()();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the program once this returns: cancel, and give the command the time
        // to clean up (remove its scratch file, let a firmware update past its point of no
        // return end) before returning.
        Callback()();
        ::WaitForSingleObject(CommandEnded, kCleanUpWaitMs);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void WatchInterrupts(std::function<void()> onInterrupt) {
    Callback() = std::move(onInterrupt);
    CommandEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void InterruptedCommandEnded() {
    if (CommandEnded != nullptr) {
        ::SetEvent(CommandEnded);
    }
}
