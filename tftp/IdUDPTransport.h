// The network transport of one transfer.
//
// The first reply decides the transfer's peer (a server answers from a new port of its own).
// From then on a datagram from any other address or port is a stranger's: it is answered with
// ERROR 5 and otherwise ignored, so that it can neither end, redirect nor feed the transfer.
#pragma once

#include "tftp/IdDatagramEndpoint.h"
#include "tftp/IdTFTPTransport.h"

#include <optional>
#include <string>

class TIdUDPTransport : public TIdTFTPTransport {
public:
    // The reply slices take their time from clock.
    TIdUDPTransport(TIdDatagramEndpoint& endpoint, std::string host, std::int32_t port,
                    Clock& clock);

    void SendRequest(const std::string& packet) override;
    void SendToPeer(const std::string& packet) override;
    std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) override;
    bool TrailingBytesFollow() override { return false; }
    bool PeerKnown() const override { return Peer.has_value(); }
    const std::string& SenderIP() const override { return LastSender.IP; }
    std::int32_t SenderPort() const override { return LastSender.Port; }
    void Close() override;

private:
    void AnswerStranger(const TIdDatagramView& datagram);

    TIdDatagramEndpoint& Endpoint;
    std::string Host;
    std::int32_t Port;
    Clock& Time;
    std::optional<TIdUDPAddress> Peer; // decided by the first reply
    TIdUDPAddress LastSender;
};
