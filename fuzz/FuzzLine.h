// A serial line in virtual time, for the fuzz targets: what the device sends is a queue of bytes,
// pauses and waits for the client to write. A read waits as long as the read time-out in force
// allows: pauses that fit into that time pass and the next byte comes, a longer pause is
// shortened by the time waited and the read returns nothing. No real time passes, so a fuzzed
// silence of seconds costs nothing.
#pragma once

#include "serial/SerialDevice.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class FuzzLine final : public SerialDevice {
public:
    void Send(std::string_view bytes);
    void Pause(std::uint32_t ms);
    // What follows comes only once the client has written something since the last such wait:
    // a device that answers the packet it was sent.
    void AwaitWrite();

    // Nothing is left to send.
    bool Exhausted() const { return Events.empty(); }
    // The line is silent and waits for time to pass (or for a write), not in the middle of bytes.
    bool Silent() const { return !Events.empty() && Events.front().kind != Event::Kind::Bytes; }

    // Everything the client wrote, one entry per write.
    std::vector<std::string> written;
    // The time-out records the port object handed over, in order.
    std::vector<SerialTimeouts> timeouts;
    // For every byte read, the time the read waited for it.
    std::vector<std::uint32_t> waits;

    bool open(const std::string&) override { return true; }
    void configure(std::int32_t, char) override {}
    void setLines(bool, bool) override {}
    void setTimeouts(const SerialTimeouts& record) override { timeouts.push_back(record); }
    std::size_t read(char* buffer, std::size_t count) override;
    void write(const std::string& data) override;
    void close() override {}

private:
    struct Event {
        enum class Kind { Bytes, Pause, AwaitWrite } kind;
        std::string bytes;
        std::uint32_t ms = 0;
    };

    std::deque<Event> Events;
    bool Wrote = false;
};
