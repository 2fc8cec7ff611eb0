// A serial device for tests: records what the port object asks of the system and serves bytes
// that a test has put "on the line". The journal is shared, so a test can still read it after the
// port object has taken the device over.
#pragma once

#include "serial/SerialDevice.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct DeviceJournal {
    std::vector<std::string> calls;
    SerialTimeouts lastTimeouts{};
    std::string line; // bytes waiting to be read, from lineStart on
    std::size_t lineStart = 0;
    bool openSucceeds = true;
    bool configureThrows = false;

    std::size_t waiting() const { return line.size() - lineStart; }
    // The calls of one kind ("timeouts", "open", ...) in order.
    std::vector<std::string> callsOf(const std::string& kind) const {
        std::vector<std::string> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const std::string& call) { return call.rfind(kind, 0) == 0; });
        return found;
    }
};

class ScriptedSerialDevice final : public SerialDevice {
public:
    explicit ScriptedSerialDevice(std::shared_ptr<DeviceJournal> journal)
        : Journal(std::move(journal)) {}

    bool open(const std::string& deviceName) override {
        Journal->calls.push_back("open " + deviceName);
        return Journal->openSucceeds;
    }
    void configure(std::int32_t baud, char parity) override {
        Journal->calls.push_back("configure " + std::to_string(baud) + " " + parity);
        if (Journal->configureThrows)
            throw std::runtime_error("line settings rejected");
    }
    void setLines(bool rts, bool dtr) override {
        Journal->calls.push_back("lines RTS=" + std::to_string(rts) +
                                 " DTR=" + std::to_string(dtr));
    }
    void setTimeouts(const SerialTimeouts& timeouts) override {
        Journal->calls.push_back("timeouts " + std::to_string(timeouts.readConstant));
        Journal->lastTimeouts = timeouts;
    }
    std::size_t read(char* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, Journal->waiting());
        Journal->line.copy(buffer, n, Journal->lineStart);
        Journal->lineStart += n;
        return n;
    }
    void write(const std::string& data) override {
        Journal->calls.push_back("write " + std::to_string(data.size()));
    }
    void close() override { Journal->calls.push_back("close"); }

private:
    std::shared_ptr<DeviceJournal> Journal;
};
