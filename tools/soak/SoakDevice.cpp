#include "tools/soak/SoakDevice.h"
#include "support/PathText.h"

#include "tools/soak/SoakSystem.h"

namespace {

// The simulator's side of the serial line at full speed: it answers 2 ms after the client's
// last byte and leaves 30 ms between packets it sends in a row, more than the client's gap.
SimSerialOptions FastLine() {
    SimSerialOptions serial;
    serial.gapMs = 2;
    serial.pauseMs = 30;
    return serial;
}

} // namespace

SoakDevice::SoakDevice(const SoakPlan& plan, const std::filesystem::path& folder) : plan_(plan) {
    SimOptions options;
    options.folder = PathText(folder);
    options.timeoutMs = plan.simTimeoutMs;
    options.retries = plan.simRetries;
    options.faults = plan.faults;
    options.log = [this](const std::string& line) {
        std::lock_guard lock(mutex_);
        log_.push_back(line);
    };
    if (plan.line == Line::Network) {
        network_ = std::make_unique<SimServerThread>(options);
        return;
    }
    options.serial = FastLine();
    serial_ = std::make_unique<SerialSimThread>(options);
    SetEnvironment("QUORVEL_COM" + std::to_string(kSoakCom), serial_->LinePath());
}

SoakConnection SoakDevice::Connection() const {
    SoakConnection connection;
    if (network_) {
        connection.host = "127.0.0.1";
        connection.port = network_->Port();
    } else {
        connection.port = kSoakCom; // an empty host selects the serial line
    }
    connection.timeoutSeconds = plan_.timeoutSeconds;
    connection.blockSize = plan_.blockSize;
    return connection;
}

std::vector<std::string> SoakDevice::ProgramOptions() const {
    const SoakConnection connection = Connection();
    std::vector<std::string> options =
        network_ ? std::vector<std::string>{"--host", connection.host, "--port",
                                            std::to_string(connection.port)}
                 : std::vector<std::string>{"--com", std::to_string(kSoakCom)};
    options.insert(options.end(), {"--timeout", std::to_string(connection.timeoutSeconds),
                                   "--blksize", std::to_string(connection.blockSize), "--quiet"});
    return options;
}

void SoakDevice::Stop() {
    network_.reset();
    serial_.reset();
}

std::vector<std::string> SoakDevice::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}
