// The serial port object: one RS232 port, addressed by its number as COM1, COM2 and so on.
//
// The device speaks raw TFTP packets on the line with no framing of any kind, so this object adds
// none either: SendPacket writes the bytes as they are, and ReceivePacket collects whatever arrives
// until the line falls silent. One burst of bytes is one packet. The port is opened with 8 data
// bits, 1 stop bit, no flow control, the given baud rate and parity; RTS and DTR are raised while
// it is open and dropped before it closes.
//
// With the diagnostic log's debug level set, opening and closing are logged; with bit 8 of the
// level, every byte sent ("  RS+:") and received ("  RS-:") is logged as well.
#pragma once

#include "serial/SerialDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TPivotobject {
public:
    TPivotobject();
    // The system's port, waiting as the clock lets time pass.
    explicit TPivotobject(Clock& clock);
    // For tests and tools that drive the object through another device than the system's port.
    explicit TPivotobject(std::unique_ptr<SerialDevice> device);
    virtual ~TPivotobject(); // closes the port

    TPivotobject(const TPivotobject&) = delete;
    TPivotobject& operator=(const TPivotobject&) = delete;

    // Closes any port this object has open, then opens COM<number>. A baud rate below 300 means
    // 9600; the parity letter is kept if it is e, o, E or O and is n (none) otherwise. Returns
    // true when the port is open afterwards. Numbers below 1 fail without touching the system.
    bool OpenPort(std::int32_t number, std::int32_t baud, char parity);
    void ClosePort();

    // Writes all bytes of data to the line unchanged. Write failures are not reported: the next
    // receive simply gets no answer. Does nothing while the port is closed.
    void SendPacket(const std::string& data);

    // Collects bytes until the line is silent: the first byte must come within firstByteTimeout,
    // each further one within gapTimeout of the previous one (both in ms, 1 ms less is used for
    // values above 1). Stops early once more than maxLength bytes are in hand (maxLength < 1
    // means 99999), so data holds at most maxLength + 1 bytes; anything after that stays in the
    // port's input queue for the next receive. data is empty when nothing came.
    void ReceivePacket(std::int32_t maxLength, std::int32_t firstByteTimeout,
                       std::int32_t gapTimeout, std::string& data);

    // Tells from the bytes collected so far whether they already form a whole packet.
    using WholePacket = std::function<bool(std::string_view received)>;
    // The same receive, for callers whose packets may say by themselves that they are whole:
    // once whole says so, the receive ends without waiting for the line to fall silent, unless a
    // byte is already waiting right behind. Such a byte is no pause, so the packet goes on as
    // above, and the caller sees one run of bytes longer than the packet it took for whole.
    void ReceivePacket(std::int32_t maxLength, std::int32_t firstByteTimeout,
                       std::int32_t gapTimeout, std::string& data, const WholePacket& whole);

    std::int32_t PortNumber() const { return PortNumber_; } // 0 when closed
    std::int32_t BaudRate() const { return BaudRate_; }     // 0 when closed
    bool RtsOn() const { return RtsOn_; }                   // the RTS state last set
    bool DtrOn() const { return DtrOn_; }                   // the DTR state last set

private:
    void SetReadTimeout(std::int32_t ms);
    void SetControlLines(bool rts, bool dtr);
    std::size_t ReadBytes(std::size_t count);
    bool ByteFollowsAtOnce();
    bool IsOpen() const { return PortNumber_ > 0; }

    std::unique_ptr<SerialDevice> Device;
    std::int32_t PortNumber_ = 0;
    std::int32_t BaudRate_ = 0;
    bool RtsOn_ = false;
    bool DtrOn_ = false;
    // The read constant doubles as the cache of the read time-out in force: the device is only
    // told a new time-out when it differs.
    SerialTimeouts Timeouts{};
    std::string RxBuffer;
};
