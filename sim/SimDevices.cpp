#include "sim/SimDevices.h"

#include "sim/DeviceFolder.h"
#include "support/PathText.h"

#include <filesystem>
#include <stdexcept>

namespace {

// Starting points tried for port 0 before giving up: another program may hold a port of the run.
constexpr int kPortAttempts = 20;
constexpr unsigned kHighestPort = 65535;

std::string Folder(const SimOptions& options, unsigned device) {
    return PathText(FilePath(options.folder) / FilePath("device-" + std::to_string(device)));
}

} // namespace

SimOptions DeviceOptions(const SimOptions& options, unsigned device) {
    if (options.devices <= 1) {
        return options;
    }
    SimOptions own = options;
    own.devices = 1;
    own.deviceFaults.clear();
    own.folder = Folder(options, device);
    own.zelSeed = options.zelSeed + device - 1;
    own.port = 0; // bound by BindRequestPorts
    if (const auto faults = options.deviceFaults.find(device);
        faults != options.deviceFaults.end()) {
        own.faults = faults->second;
    }
    const std::string prefix = "[device " + std::to_string(device) + "] ";
    own.log = [prefix, log = options.log](const std::string& line) { log(prefix + line); };
    std::error_code error;
    if (std::filesystem::is_directory(FilePath(options.folder), error)) {
        std::filesystem::create_directory(FilePath(own.folder), error);
    }
    return own;
}

std::vector<UdpSocket> BindRequestPorts(const SimOptions& options) {
    for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
        std::vector<UdpSocket> ports;
        ports.emplace_back(options.bindAddress, options.port);
        const unsigned first = ports.front().Local().Port;
        try {
            for (unsigned device = 2; device <= options.devices; ++device) {
                const unsigned port = first + device - 1;
                if (port > kHighestPort) {
                    throw std::runtime_error("bind failed: the devices' ports would pass 65535");
                }
                ports.emplace_back(options.bindAddress, static_cast<std::uint16_t>(port));
            }
            return ports;
        } catch (const std::runtime_error&) {
            if (options.port != 0 || attempt + 1 == kPortAttempts) {
                throw;
            }
        }
    }
    throw std::logic_error("unreachable");
}

std::string DescribeDevices(const SimOptions& options, std::uint16_t firstPort) {
    std::string text;
    if (options.devices <= 1) {
        text = "folder " + PathText(DeviceFolder(options).Root()) + "\n" +
               DescribeLoggerFile(options) + "\n";
    } else {
        const std::filesystem::path root = DeviceFolder(options).Root();
        text = std::to_string(options.devices) + " devices on ports " + std::to_string(firstPort) +
               " to " + std::to_string(firstPort + options.devices - 1) + ", device K serving " +
               PathText(root / "device-K") + "\n" + kLoggerFileName + " generated from seed " +
               std::to_string(options.zelSeed) + " + K - 1 where a device's folder holds none\n";
    }
    if (options.faults.Any()) {
        text += "faults: " + options.faults.Describe() + "\n";
    }
    for (const auto& [device, faults] : options.deviceFaults) {
        text += "faults of device " + std::to_string(device) + ": " +
                (faults.Any() ? faults.Describe() : "none") + "\n";
    }
    if (options.latencyMs > 0) {
        text += "every packet sent arrives " + std::to_string(options.latencyMs) + " ms later\n";
    }
    return text;
}
