// The simulated device of one soak transfer: a simulator with the plan's faults, serving the
// device folder on the loopback network or on a pseudo-terminal, in this process. A fresh one
// serves every transfer, so that a transfer's faults come from its seed alone.
#pragma once

#include "sim/SerialSimServer.h"
#include "sim/SimServer.h"
#include "tools/soak/SoakHost.h"
#include "tools/soak/SoakPlan.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The COM number the soak's serial transfers use; QUORVEL_COM<n> points it at the simulator.
inline constexpr std::int32_t kSoakCom = 200;

class SoakDevice {
public:
    SoakDevice(const SoakPlan& plan, const std::filesystem::path& folder);

    // Where the client finds the device, with the plan's reply time-out and block size.
    SoakConnection Connection() const;
    // The options naming the device for quorvel-cli.
    std::vector<std::string> ProgramOptions() const;
    // Stops the simulator: a transfer it still runs is abandoned and its unfinished upload
    // removed, so the folder shows what the device keeps.
    void Stop();
    std::vector<std::string> Log() const;

private:
    const SoakPlan& plan_;
    mutable std::mutex mutex_;
    std::vector<std::string> log_;
    std::unique_ptr<SimServerThread> network_;
    std::unique_ptr<SerialSimThread> serial_;
};
