#include "tftp/IdSerialTransport.h"

#include "serial/zivud232.h"
#include "tftp/IdTrivialFTPBase.h"

namespace {

constexpr std::int32_t SerialBaudRate = 115200;
constexpr char NoParity = 'n';
constexpr std::int32_t FirstByteWait = 1000; // ms, one reply slice

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

std::optional<std::string> TIdSerialTransport::ReceiveSlice(std::size_t maxLength) {
    // The port stops collecting one byte beyond the limit, which is how an overlong packet (or
    // two packets without a pause between them) shows; it must not pass for a full block.
    std::string data;
    Link.ReceivePacket(static_cast<std::int32_t>(maxLength), FirstByteWait, GapTimeout, data);
    if (data.empty()) {
        return std::nullopt;
    }
    if (data.size() > maxLength) {
        RaiseOversizedPacket(data.size(), maxLength);
    }
    return data;
}

void TIdSerialTransport::Close() {
    Link.ClosePort();
}
