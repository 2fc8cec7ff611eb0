#include "cli/Terminal.h"

#include <windows.h>

// A console, not merely a character device: the C library's _isatty also says yes for NUL, where
// a question would wait for no one and a progress line would go nowhere.
bool IsTerminal(int standardStream) {
    const DWORD ids[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (standardStream < 0 || standardStream > 2) {
        return false;
    }
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(ids[standardStream]), &mode) != FALSE;
}
