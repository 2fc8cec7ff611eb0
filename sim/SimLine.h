// The simulated device's end of a serial line: a pseudo-terminal whose other end the client
// opens as its COM port, or a serial port of the system.
//
// A line carries bytes only; where one packet ends is decided by LineLink (LineFraming.h).
// No call blocks for long: reads wait at most as asked, writes are bounded, and a line whose
// other side has gone away waits out the time asked for instead of failing at once, so that a
// serving loop never spins on it.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class SimLine {
public:
    virtual ~SimLine() = default;

    // What the client opens: the pseudo-terminal's other end, or the device served.
    virtual const std::string& Path() const = 0;
    // Up to max bytes; waits up to wait for the first of them. Empty when none came, or at once
    // when the client goes away meanwhile (see TakeHangUp).
    virtual std::string Read(std::size_t max, std::chrono::milliseconds wait) = 0;
    // Writes all bytes within a bounded time. False when they could not be delivered, e.g.
    // because no client has the line open: a real line loses what nobody listens to.
    virtual bool Write(std::string_view bytes) = 0;
    // True once after the client has closed its end; what it left unread has been discarded,
    // as a closed port discards what arrives. Only a pseudo-terminal can tell.
    virtual bool TakeHangUp() = 0;
};

// A new pseudo-terminal in raw mode; throws std::runtime_error naming the failing call (and
// on systems without pseudo-terminals).
std::unique_ptr<SimLine> MakePtyLine();

// The serial port at path, opened exclusively as a raw line at 115200 baud, 8N1; throws
// std::runtime_error when it cannot be opened.
std::unique_ptr<SimLine> MakeTtyLine(const std::string& path);
