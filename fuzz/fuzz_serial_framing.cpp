// libFuzzer target over the packet framing of the serial line: the port object's receive, which
// takes one burst of bytes up to a pause as one packet, and the serial transport of the TFTP
// client on top of it, which refuses a packet longer than the receive limit.
//
// Input: four settings bytes (the receive limit, the first-byte wait, the gap and whether the
// transport reads), then what arrives on the line in virtual time (FuzzLine.h): bytes, where
// 0xFF d is a pause of d ms (d < 128) or of (d - 127) * 16 ms, and 0xFF 0xFF is the byte 0xFF.
//
// Besides "no crash, no sanitizer report": no byte is lost, doubled or reordered; a packet holds
// at most one byte beyond the limit; it ends only there, at a pause longer than the gap, or (read
// by the transport) as soon as it is a whole DATA packet of the limit's length or an ACK; the
// first byte waits no longer than the first-byte wait, the others no longer than the gap (both
// 1 ms less than asked, as the platform is told); the transport passes on every packet within
// its limit and refuses every longer one.
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLine.h"
#include "serial/zivud232.h"
#include "tftp/IdSerialTransport.h"
#include "tftp/IdTrivialFTPBase.h"

namespace {

constexpr std::int32_t kLimits[] = {0, 1, 4, 16, 516, 999};
constexpr std::int32_t kFirstWaits[] = {1000, 100, 250};
constexpr std::uint8_t kEscape = 0xFF;

// The bytes of the line; the pauses go straight onto it.
std::string LayLine(std::string_view script, FuzzLine& line) {
    std::string bytes;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(script[i]);
        const std::uint32_t next =
            i + 1 < script.size() ? static_cast<std::uint8_t>(script[i + 1]) : 0u;
        if (byte != kEscape || next == kEscape) {
            line.Send(script.substr(i, 1));
            bytes += script[i];
            i += byte == kEscape ? 1 : 0;
            continue;
        }
        line.Pause(next < 128 ? next : (next - 127) * 16);
        ++i;
    }
    return bytes;
}

// The read constant the platform is told for a wait of ms.
std::uint32_t Told(std::int32_t ms) {
    return static_cast<std::uint32_t>(ms > 1 ? ms - 1 : ms);
}

struct Receiver {
    FuzzLine& line;
    std::size_t limit;
    std::int32_t firstWait;
    std::int32_t gap;
    bool wholeEnds; // the transport ends a packet that says by its length that it is whole

    bool Whole(std::string_view packet) const {
        return wholeEnds && packet.size() >= TFTP_HEADER_SIZE &&
               ((packet.size() == limit && PacketOpcode(packet) == TFTP_DATA) ||
                (packet.size() == TFTP_HEADER_SIZE && PacketOpcode(packet) == TFTP_ACK));
    }

    // Checks one packet that a receive returned, with the waits of its bytes.
    void CheckPacket(std::string_view packet, std::size_t firstByte) const {
        Check(packet.size() <= limit + 1, "a packet holds at most one byte beyond the limit");
        Check(packet.size() > limit || line.Silent() || line.Exhausted() || Whole(packet),
              "a packet ends at the limit, at a pause longer than the gap, or whole");
        for (std::size_t i = 0; i < packet.size(); ++i) {
            Check(line.waits[firstByte + i] <= (i == 0 ? Told(firstWait) : Told(gap)),
                  "no byte waits longer than the wait in force");
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const std::int32_t maxLength = kLimits[input.Choice(std::size(kLimits))];
    const std::int32_t firstWait = kFirstWaits[input.Choice(std::size(kFirstWaits))];
    const std::int32_t gap = static_cast<std::int32_t>(input.Choice(32));
    const bool throughTransport = (input.Byte() & 1) != 0;

    auto device = std::make_unique<FuzzLine>();
    FuzzLine& line = *device;
    const std::string bytes = LayLine(input.Rest(), line);
    TPivotobject port(std::move(device));
    Check(port.OpenPort(1, 115200, 'n'), "the line opens");
    const std::size_t limit = maxLength < 1 ? 99999 : static_cast<std::size_t>(maxLength);
    const Receiver receiver{line, limit, throughTransport ? 1000 : firstWait, gap,
                            throughTransport};

    std::string arrived;
    std::size_t receives = 0;
    // Every receive takes bytes or waits out at least 99 ms of a pause.
    const std::size_t bound = bytes.size() + size * 2048 / 99 + 2;
    if (throughTransport) {
        TIdSerialTransport transport(port, 1, gap);
        while (!line.Exhausted() && ++receives <= bound) {
            const std::size_t firstByte = line.waits.size();
            try {
                const std::optional<std::string_view> packet = transport.ReceiveSlice(limit);
                Check(packet.has_value() == (line.waits.size() > firstByte),
                      "a slice passes on what came");
                arrived += packet.value_or("");
                receiver.CheckPacket(packet.value_or(""), firstByte);
            } catch (const EIdTFTPException&) {
                Check(line.waits.size() - firstByte == limit + 1, "only a packet too long fails");
                return 0; // the transfer ends here
            }
        }
    } else {
        while (!line.Exhausted() && ++receives <= bound) {
            const std::size_t firstByte = line.waits.size();
            std::string packet;
            port.ReceivePacket(maxLength, firstWait, gap, packet);
            arrived += packet;
            receiver.CheckPacket(packet, firstByte);
        }
    }
    Check(receives <= bound, "the receives come to an end");
    Check(arrived == bytes, "no byte is lost, doubled or reordered");
    for (const SerialTimeouts& record : line.timeouts) {
        Check(record.readInterval == SerialTimeouts::NoIntervalLimit &&
                  record.readMultiplier == 0 && record.writeMultiplier == 1 &&
                  record.writeConstant == 0,
              "the time-out record is the one the port object always uses");
    }
    return 0;
}
