// Packets on a serial line, as the device tells them apart: a packet is a burst of bytes that
// ends with a pause. The line is full duplex, so the simulator keeps listening while it pauses
// or sends, and notes when each run of bytes came: a pseudo-terminal would otherwise run two of
// the client's packets together that a real line keeps apart.
#pragma once

#include "sim/SimLine.h"
#include "sim/SimOptions.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

// The longest packet taken from the line: DATA with the largest block size fits. A burst that
// runs on without a pause is cut here; its rest opens the next packet.
inline constexpr std::size_t kMaxLinePacket = 65536;

// The time n bytes take on the device's line: 115200 baud with 8 data bits, no parity and one
// stop bit, so ten bits a byte, 11520 bytes a second.
std::chrono::nanoseconds LineTime(std::size_t bytes);

// What happened on the line: a packet from the client, or the client closing the line.
struct LineEvent {
    std::string packet;
    bool hangUp = false;
};

class LineLink {
public:
    using SteadyClock = std::chrono::steady_clock;

    // Uses the gap, the pause and the pacing of options.
    LineLink(SimLine& line, const SimSerialOptions& options);

    // The next event in the order things happened, or nothing when the line stayed quiet until
    // `until`. A packet is returned once the gap has passed after its last byte; with pacing,
    // after its last byte would have arrived on a real line.
    std::optional<LineEvent> Next(SteadyClock::time_point until);

    // Sends a packet, at once or when it would have crossed a line at 115200 baud. A packet
    // that does not answer the
    // client's latest one (a second copy, noise, or the answer to a packet the client sent
    // before it had heard our last one) first keeps the pause after our last packet, or the
    // client would read the two as one. False when the client is gone: the bytes are lost.
    bool Send(std::string_view bytes);

    // The client closed the line, and the event waits to be taken.
    bool ClientGone() const;

private:
    struct Arrival {
        SteadyClock::time_point at;  // when the bytes were taken from the line
        SteadyClock::time_point end; // when their last byte would be off a real line
        std::string bytes;
        bool hangUp = false;
    };

    // Takes what the line brings, waiting up to `until` for it.
    void Listen(SteadyClock::time_point until);
    // Listens for the whole time up to `until`.
    void ListenUntil(SteadyClock::time_point until);
    LineEvent TakePacket();

    SimLine& line_;
    std::chrono::milliseconds gap_;
    std::chrono::milliseconds pause_;
    bool paced_;
    std::deque<Arrival> arrivals_;
    SteadyClock::time_point lineFreeAt_{};
    SteadyClock::time_point lastPacketStart_{};
    SteadyClock::time_point lastSendEnd_{};
};
