#include "tests/sim/SerialTestKit.h"
#include "support/PathText.h"

#include <gtest/gtest.h>

#include <exception>
#include <iostream>
#include <thread>

namespace {

class DeviceAtPath final : public SerialDevice {
public:
    DeviceAtPath(std::string path, Clock& clock)
        : path_(std::move(path)), inner_(MakeSystemSerialDevice(clock)) {}

    bool open(const std::string&) override { return inner_->open(path_); }
    void configure(std::int32_t baud, char parity) override { inner_->configure(baud, parity); }
    void setLines(bool rts, bool dtr) override { inner_->setLines(rts, dtr); }
    void setTimeouts(const SerialTimeouts& timeouts) override { inner_->setTimeouts(timeouts); }
    std::size_t read(char* buffer, std::size_t count) override {
        return inner_->read(buffer, count);
    }
    void write(const std::string& data) override { inner_->write(data); }
    void close() override { inner_->close(); }

private:
    std::string path_;
    std::unique_ptr<SerialDevice> inner_;
};

} // namespace

SerialSim::SerialSim(const SimFaults& faults, SimSerialOptions serial, unsigned timeoutMs,
                     unsigned retries) {
    SimOptions options;
    options.folder = PathText(folder.Path());
    options.timeoutMs = timeoutMs;
    options.retries = retries;
    options.faults = faults;
    options.serial = serial;
    options.log = log.Sink();
    options.verbose = true; // every packet in the log, for tests that count them
    sim_ = std::make_unique<SerialSimThread>(options);
}

SerialSim::~SerialSim() {
    sim_.reset();
    if (testing::Test::HasFailure() || std::uncaught_exceptions() > 0) {
        for (const std::string& line : log.Lines()) {
            std::cout << "  sim: " << line << "\n";
        }
    }
}

SimSerialOptions SerialSim::FastLine() {
    SimSerialOptions serial;
    serial.gapMs = 2;
    serial.pauseMs = 40;
    return serial;
}

std::unique_ptr<TPivotobject> PortAt(const std::string& path, Clock& clock) {
    return std::make_unique<TPivotobject>(std::make_unique<DeviceAtPath>(path, clock));
}

std::unique_ptr<TIdTrivialFTP> SerialClientAt(const std::string& path, Clock& clock) {
    auto client = std::make_unique<TIdTrivialFTP>();
    client->Host = "";
    client->Port = kTestCom;
    client->TimeSource = &clock;
    client->SetSerialLink(PortAt(path, clock));
    client->SerialGapTimeout = 6;
    client->ReceiveTimeout = 1000;
    client->RequestedBlockSize = 512;
    return client;
}

void BetweenTransfers() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}
