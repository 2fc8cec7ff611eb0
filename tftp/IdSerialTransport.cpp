#include "tftp/IdSerialTransport.h"

#include "serial/zivud232.h"
#include "tftp/IdResourceStrings.h"

#include <algorithm>

namespace {

constexpr std::int32_t SerialBaudRate = 115200;
constexpr char NoParity = 'n';
constexpr std::int32_t FirstByteWait = 1000; // ms, one reply slice
// The wait for bytes behind a packet that may be the last: at least this long, and half a gap
// beyond that (see TrailingBytesFollow).
constexpr std::int32_t TrailingWaitMin = 50; // ms

// True when trailing is the start of a copy of packet: the device sent the same packet again.
bool BeginsCopyOf(std::string_view trailing, std::string_view packet) {
    return trailing.size() >= TFTP_HEADER_SIZE && packet.starts_with(trailing);
}

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
    // Before it has our ACK the device sends nothing but, once its own reply time-out has run
    // out, this block again. So bytes that come now are either the rest of a packet that a pause
    // (a stalled adapter, a busy device) cut in two, or that copy. The rest follows the pause
    // closely; a copy begins with the block's header again, and proves the block whole: the
    // device had finished it. The wait lasts half a gap (50 ms at least) beyond the gap that ended
    // the block, so that it is over before a device whose resend time is two gaps or more sends
    // the copy, and usually nothing comes at all.
    const std::int32_t wait = std::max(TrailingWaitMin, GapTimeout / 2);
    Link.ReceivePacket(static_cast<std::int32_t>(Received.size()), wait, GapTimeout, Trailing);
    return !Trailing.empty() && !BeginsCopyOf(Trailing, Received);
}

void TIdSerialTransport::Close() {
    Link.ClosePort();
}
