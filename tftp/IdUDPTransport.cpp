#include "tftp/IdUDPTransport.h"

#include "tftp/IdResourceStrings.h"

#include <stdexcept>

namespace {

constexpr Clock::Duration SliceLength(1000);

} // namespace

TIdUDPTransport::TIdUDPTransport(TIdDatagramEndpoint& endpoint, std::string host, std::int32_t port,
                                 Clock& clock)
    : Endpoint(endpoint), Host(std::move(host)), Port(port), Time(clock) {}

void TIdUDPTransport::SendRequest(const std::string& packet) {
    Endpoint.SendDatagram(Host, Port, packet);
}

void TIdUDPTransport::SendToPeer(const std::string& packet) {
    if (!Peer) {
        throw std::logic_error("SendToPeer: no peer has answered yet");
    }
    Endpoint.SendDatagram(Peer->IP, Peer->Port, packet);
}

std::optional<std::string_view> TIdUDPTransport::ReceiveSlice(std::size_t maxLength) {
    const Clock::TimePoint deadline = Time.Now() + SliceLength;
    LastSender = {};
    do {
        std::optional<TIdDatagramView> datagram =
            Endpoint.ReceiveDatagram(Time.Until(deadline), Time);
        if (!datagram) {
            continue; // silence until the deadline, or a report of nothing after all
        }
        const TIdUDPAddress& sender = datagram->From;
        if (Peer && sender != *Peer) {
            AnswerStranger(*datagram);
            continue;
        }
        if (datagram->Data.empty()) {
            continue; // carries nothing, not even an opcode
        }
        if (datagram->Data.size() > maxLength) {
            RaiseOversizedPacket(datagram->Data.size(), maxLength);
        }
        LastSender = sender;
        Peer = sender;
        return datagram->Data;
    } while (Time.Now() < deadline);
    return std::nullopt;
}

void TIdUDPTransport::Close() {
    Endpoint.CloseEndpoint();
}

void TIdUDPTransport::AnswerStranger(const TIdDatagramView& datagram) {
    // An ERROR is never answered with an ERROR, so two confused peers cannot keep each other
    // busy.
    if (datagram.Data.size() >= 2 && PacketOpcode(datagram.Data) == TFTP_ERROR) {
        return;
    }
    try {
        SendErrorPacket(&Endpoint, datagram.From.IP, datagram.From.Port, ERR_UNKNOWN_TRANSFER_ID,
                        RSTFTPUnknownTransferID, false);
    } catch (const EIdSocketError&) {
        // Telling a stranger is a courtesy; it must not end the transfer.
    }
}
