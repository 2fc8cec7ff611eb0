// Program entry on Windows: the diagnostic log's start, the window and its message loop, the
// log's end.
#include "app/win32/MainWindow.h"
#include "support/Save_Err.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    LogStartup(__argv[0]);
    InstallFatalErrorHook();
    const std::vector<std::string> params(__argv, __argv + __argc);
    int exitCode = 0;
    {
        MainWindow window(ProgramPath(), params);
        window.Show(showCommand);
        exitCode = window.RunMessageLoop();
    }
    LogShutdown(exitCode);
    return exitCode;
}
