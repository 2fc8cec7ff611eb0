// quorvel-sim: the radio-modem device simulator, for trying Quorvel without a device.
#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "sim/SimArguments.h"
#include "sim/SimServer.h"

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace {

std::atomic<SimServer*> runningServer{nullptr};

void OnInterrupt() {
    if (SimServer* server = runningServer.load()) {
        server->Stop();
    } else {
        std::_Exit(130);
    }
}

} // namespace

int main(int argc, char** argv) {
    WatchInterrupts(OnInterrupt);
    SimCommandLine commandLine;
    try {
        commandLine = ParseSimArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "quorvel-sim: " << error.what() << "\nTry \"quorvel-sim --help\".\n";
        return 2;
    }
    if (commandLine.help) {
        std::cout << SimUsageText();
        return 0;
    }
    try {
        // Never destroyed: the interrupt thread may still reach it while main returns.
        auto* server = new SimServer(commandLine.options);
        std::cout << "listening on " << server->Address().Text() << "\n"
                  << "folder " << SimFolder(commandLine.options.folder).Root().string() << "\n";
        if (commandLine.options.faults.Any()) {
            std::cout << "faults: " << commandLine.options.faults.Describe() << "\n";
        }
        std::cout << std::flush;
        runningServer = server;
        server->Serve();
        std::cout << "stopped" << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "quorvel-sim: " << error.what() << "\n";
        if (std::string(error.what()).starts_with("bind:") && commandLine.options.port < 1024) {
            std::cerr << "(ports below 1024 may need administrator rights; try --port 0)\n";
        }
        return 1;
    }
    return 0;
}
