#include "cli/Interrupt.h"

#include <windows.h>

#include <utility>

namespace {

std::function<void()>& Callback() {
    static std::function<void()> callback;
    return callback;
}

// The system runs console control handlers on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        Callback()();
        return TRUE;
    }
    return FALSE;
}

} // namespace

void WatchInterrupts(std::function<void()> onInterrupt) {
    Callback() = std::move(onInterrupt);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
