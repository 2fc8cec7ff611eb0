#include "tftp/IdUDPTransport.h"

#include "tftp/IdResourceStrings.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace {

constexpr std::chrono::milliseconds SliceLength(1000);

} // namespace

TIdUDPTransport::TIdUDPTransport(TIdDatagramEndpoint& endpoint, std::string host, std::int32_t port)
    : Endpoint(endpoint), Host(std::move(host)), Port(port) {}

void TIdUDPTransport::SendRequest(const std::string& packet) {
    Endpoint.SendDatagram(Host, Port, packet);
}

void TIdUDPTransport::SendToPeer(const std::string& packet) {
    if (!Peer) {
        throw std::logic_error("SendToPeer: no peer has answered yet");
    }
    Endpoint.SendDatagram(Peer->IP, Peer->Port, packet);
}

std::optional<std::string> TIdUDPTransport::ReceiveSlice(std::size_t maxLength) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + SliceLength;
    LastSender = {};
    do {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        std::optional<TIdDatagram> datagram = Endpoint.ReceiveDatagram(
            static_cast<std::int32_t>(std::max<std::int64_t>(0, left.count())));
        if (!datagram) {
            return std::nullopt;
        }
        const TIdUDPAddress sender{datagram->PeerIP, datagram->PeerPort};
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
        return std::move(datagram->Data);
    } while (Clock::now() < deadline);
    return std::nullopt;
}

void TIdUDPTransport::Close() {
    Endpoint.CloseEndpoint();
}

void TIdUDPTransport::AnswerStranger(const TIdDatagram& datagram) {
    // An ERROR is never answered with an ERROR, so two confused peers cannot keep each other
    // busy.
    if (datagram.Data.size() >= 2 && PacketOpcode(datagram.Data) == TFTP_ERROR) {
        return;
    }
    try {
        SendErrorPacket(&Endpoint, datagram.PeerIP, datagram.PeerPort, ERR_UNKNOWN_TRANSFER_ID,
                        RSTFTPUnknownTransferID, false);
    } catch (const EIdSocketError&) {
        // Telling a stranger is a courtesy; it must not end the transfer.
    }
}
