// quorvel-sim: the radio-modem device simulator, for trying Quorvel without a device.
#include "sim/SerialSimServer.h"
#include "sim/SimArguments.h"
#include "sim/SimDevices.h"
#include "sim/SimServer.h"
#include "support/ArgumentScan.h"
#include "support/ConsoleText.h"
#include "support/Interrupt.h"
#include "support/Platform.h"

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

std::atomic<SimService*> runningService{nullptr};

void OnInterrupt() {
    if (SimService* service = runningService.load()) {
        service->Stop();
    } else {
        std::_Exit(130);
    }
}

// Creates the service and prints its first lines, which tell where it serves and what.
SimService* StartService(const SimOptions& options) {
    if (!options.serial) {
        auto* server = new SimServer(options);
        std::cout << "listening on " << server->Address().Text() << "\n"
                  << DescribeDevices(options, server->Address().Port);
        return server;
    }
    auto line =
        options.serial->device.empty() ? MakePtyLine() : MakeTtyLine(options.serial->device);
    auto* server = new SerialSimServer(options, std::move(line));
    std::cout << "serial line " << server->LinePath() << "\n" << DescribeDevices(options, 0);
    return server;
}

} // namespace

int main(int argc, char** argv) {
    UseConsoleText();
    WatchInterrupts(OnInterrupt);
    SimCommandLine commandLine;
    try {
        commandLine = ParseSimArguments(platform::ArgumentsAfterProgram(argc, argv));
    } catch (const UsageError& error) {
        std::cerr << "quorvel-sim: " << error.what() << "\nTry \"quorvel-sim --help\".\n";
        return 2;
    }
    if (commandLine.help) {
        std::cout << SimUsageText();
        return 0;
    }
    const SimOptions& options = commandLine.options;
    try {
        // Never destroyed: the interrupt thread may still reach it while main returns.
        SimService* service = StartService(options);
        std::cout << std::flush;
        runningService = service;
        service->Serve();
        std::cout << "stopped" << std::endl;
        InterruptedCommandEnded();
    } catch (const std::exception& error) {
        std::cerr << "quorvel-sim: " << error.what() << "\n";
        if (std::string(error.what()).starts_with("bind failed") && options.port < 1024) {
            std::cerr << "(ports below 1024 may need administrator rights; try --port 0)\n";
        }
        return 1;
    }
    return 0;
}
