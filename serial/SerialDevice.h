// The operating system's side of one serial port, as the serial port object uses it.
//
// Both platforms offer the same small set of operations, so the port object holds all the rules
// (time-out cache, receive loop, logging) once, and a backend only talks to the system: termios on
// POSIX systems, the communications calls on Windows. Tests substitute a scripted device.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The time-out record of a serial port, all values in milliseconds. The port object always uses
// "no interval limit, no read multiplier, read constant t, 1 ms per byte written": a single-byte
// read then returns at once when a byte waits and otherwise after t ms (t = 0: at once).
struct SerialTimeouts {
    static constexpr std::uint32_t NoIntervalLimit = 0xFFFFFFFF;

    std::uint32_t readInterval = 0;
    std::uint32_t readMultiplier = 0;
    std::uint32_t readConstant = 0;
    std::uint32_t writeMultiplier = 0;
    std::uint32_t writeConstant = 0;
};

// How long a write of bytes may take in all: the write time-out of the record plus the time the
// bytes need on the wire at baud with bitsPerByte bits per character (start, data, parity and
// stop bits); at low baud rates a byte takes longer than the 1 ms per byte the record allows.
std::chrono::milliseconds WriteAllowance(const SerialTimeouts& timeouts, std::size_t bytes,
                                         std::int32_t baud, int bitsPerByte);

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the named device for reading and writing, exclusively. False when it is missing,
    // busy or not a serial port.
    virtual bool open(const std::string& deviceName) = 0;
    // Raw 8-bit line: baud, parity 'n', 'e', 'o', 'E' or 'O', 8 data bits, 1 stop bit, no flow
    // control. Failures are ignored: the port stays usable with whatever settings it had.
    virtual void configure(std::int32_t baud, char parity) = 0;
    virtual void setLines(bool rts, bool dtr) = 0;
    virtual void setTimeouts(const SerialTimeouts& timeouts) = 0;
    // Reads up to count bytes as the time-outs say; 0 when none came or the read failed.
    virtual std::size_t read(char* buffer, std::size_t count) = 0;
    // Writes all of data within the write allowance; failures are not reported to the caller
    // (the next receive simply gets no answer) but logged when the debug level is set.
    virtual void write(const std::string& data) = 0;
    virtual void close() = 0;
};

// The platform's device for COM<number> (number >= 1). On Windows "COM1" to "COM9" and
// "\\.\COM10" onwards. On POSIX systems COM n is /dev/ttyS<n-1>, unless the environment variable
// QUORVEL_COM<n> names another device, e.g. QUORVEL_COM3=/dev/ttyUSB0, or else the settings
// file's COM table does (ComPortMap.h).
std::string ComDeviceName(std::int32_t number);

// The platform's serial port backend.
std::unique_ptr<SerialDevice> MakeSystemSerialDevice();
