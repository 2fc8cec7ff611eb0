// quorvel-cli: put and get files on the radio-modem device from the command line.
#include "cli/Cancel.h"
#include "cli/Cli.h"
#include "cli/Terminal.h"
#include "support/ConsoleText.h"
#include "support/Interrupt.h"
#include "support/Platform.h"
#include "support/Save_Err.h"

#include <cstdlib>
#include <iostream>

namespace {

// The conventional status of a program ended by Ctrl+C (used for every interrupt).
constexpr int kInterruptedStatus = 130;

void OnInterrupt() {
    if (!RequestCancel()) {
        // Not transferring (e.g. at the overwrite question): nothing to clean up.
        std::cerr << "\n";
        LogShutdown(kInterruptedStatus);
        std::_Exit(kInterruptedStatus);
    }
}

} // namespace

int main(int argc, char** argv) {
    UseConsoleText();
    const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
    LogStartup(arguments.empty() ? nullptr : arguments[0].c_str());
    // Every work-event line is written as it comes, as in the window.
    SetSuppressRepeats(false);
    WatchInterrupts(OnInterrupt);
    CliIo io{std::cin, std::cout, std::cerr, IsTerminal(0), IsTerminal(2)};
    const int status = RunCli(platform::ArgumentsAfterProgram(argc, argv), io);
    std::cout.flush();
    LogShutdown(status);
    InterruptedCommandEnded();
    return status;
}
