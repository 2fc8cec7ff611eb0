#include "tftp/IdSerialTransport.h"

#include "serial/zivud232.h"
#include "tftp/IdResourceStrings.h"

#include <algorithm>

namespace {

constexpr std::int32_t SerialBaudRate = 115200;
constexpr char NoParity = 'n';
constexpr std::int32_t FirstByteWait = 1000; // ms, one reply slice
constexpr std::int32_t TrailingWaitMin = 50; // ms
constexpr std::int32_t TrailingLimit = 1;    // bytes: one is proof enough

} // namespace

const std::string TIdSerialTransport::NoSender;

TIdSerialTransport::TIdSerialTransport(TPivotobject& link, std::int32_t comPort,
                                       std::int32_t gapTimeout)
    : Link(link), GapTimeout(gapTimeout) {
    if (!Link.OpenPort(comPort, SerialBaudRate, NoParity)) {
        throw EIdTFTPException(RSTFTPUnableToOpenPort + std::to_string(comPort));
    }
}

void TIdSerialTransport::SendRequest(const std::string& packet) {
    Link.SendPacket(packet);
}

void TIdSerialTransport::SendToPeer(const std::string& packet) {
    Link.SendPacket(packet);
}

std::optional<std::string_view> TIdSerialTransport::ReceiveSlice(std::size_t maxLength) {
    // The port stops collecting one byte beyond the limit, which is how an overlong packet (or
    // two packets without a pause between them) shows; it must not pass for a full block. A
    // packet that is whole by its length ends at once, unless a byte already follows it: bytes
    // right behind a full block make it overlong like that, never the start of a packet.
    const auto whole = [maxLength](std::string_view received) {
        if (received.size() < TFTP_HEADER_SIZE) {
            return false; // too short to say what it is
        }
        const std::uint16_t opcode = PacketOpcode(received);
        return (received.size() == maxLength && opcode == TFTP_DATA) ||
               (received.size() == TFTP_HEADER_SIZE && opcode == TFTP_ACK);
    };
    Link.ReceivePacket(static_cast<std::int32_t>(maxLength), FirstByteWait, GapTimeout, Received,
                       whole);
    if (Received.empty()) {
        return std::nullopt;
    }
    if (Received.size() > maxLength) {
        RaiseOversizedPacket(Received.size(), maxLength);
    }
    return Received;
}

bool TIdSerialTransport::TrailingBytesFollow() {
    // The device sends nothing more before it has our ACK, so any byte that comes now is the
    // rest of a packet that a pause (a stalled adapter, a busy device) cut in two. The rest
    // follows the pause closely; a few gap times are enough to see it.
    const std::int32_t wait = std::max(TrailingWaitMin, 5 * GapTimeout);
    std::string rest;
    Link.ReceivePacket(TrailingLimit, wait, GapTimeout, rest);
    return !rest.empty();
}

void TIdSerialTransport::Close() {
    Link.ClosePort();
}
