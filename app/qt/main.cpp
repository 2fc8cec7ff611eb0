// Program entry: the diagnostic log's start, the window and its event loop, the log's end.
#include "app/qt/MainWindow.h"
#include "app/qt/TerminationSignal.h"
#include "support/Save_Err.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    LogStartup(argv[0]);
    InstallFatalErrorHook();
    CatchTerminationSignals();
    // The options are read from the arguments as given, before Qt takes its own out.
    const std::vector<std::string> params(argv, argv + argc);
    int exitCode = 0;
    {
        QApplication application(argc, argv);
        MainWindow window(ProgramPath(), params);
        CloseOnTerminationSignal(window);
        window.show();
        exitCode = QApplication::exec();
    }
    LogShutdown(exitCode);
    return exitCode;
}
