// Program entry on Windows: the diagnostic log's start, the window and its message loop, the
// log's end.
#include "app/win32/MainWindow.h"
#include "support/Platform.h"
#include "support/Save_Err.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const std::vector<std::string> params = platform::ProgramArguments(__argc, __argv);
    LogStartup(params.empty() ? nullptr : params[0].c_str());
    InstallFatalErrorHook();
    int exitCode = 0;
    {
        MainWindow window(ProgramPath(), params);
        window.Show(showCommand);
        exitCode = window.RunMessageLoop();
    }
    LogShutdown(exitCode);
    return exitCode;
}
