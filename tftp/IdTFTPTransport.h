// The channel of one transfer: UDP datagrams to a host, or raw packets on a serial line. The
// transfers speak only through this interface, so the choice of line is made once, when the
// transfer opens its transport.
#pragma once

#include "tftp/IdTrivialFTPBase.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TIdTFTPTransport {
public:
    virtual ~TIdTFTPTransport() = default;

    // The read or write request: to the server's request port, or onto the line.
    virtual void SendRequest(const std::string& packet) = 0;
    // Every later packet: to the peer of the transfer, or onto the line.
    virtual void SendToPeer(const std::string& packet) = 0;
    // Waits one second at most for the next packet of the transfer. Nothing when none came; a
    // packet longer than maxLength is an error, never cut short. The packet's bytes are the
    // transport's and stay valid until its next receive.
    virtual std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) = 0;
    // Asked after a DATA packet shorter than a full block, before it is stored as the last one:
    // true when more bytes follow right behind it that are not a copy of it, which means a pause
    // on the line cut a packet in two. A datagram always arrives whole, so this is never the case
    // on the network.
    virtual bool TrailingBytesFollow() = 0;
    // True once a peer has answered on the network: only then can a packet be sent again after
    // a time-out. Always false on the serial line.
    virtual bool PeerKnown() const = 0;
    // Sender of the packet last received: dotted address and port, empty and 0 when none came.
    virtual const std::string& SenderIP() const = 0;
    virtual std::int32_t SenderPort() const = 0;
    // Releases the socket or the port.
    virtual void Close() = 0;
};

// The failure for a packet longer than the receive limit.
[[noreturn]] void RaiseOversizedPacket(std::size_t length, std::size_t limit);

// Sends a packet to the peer when the transfer is failing anyway: a send that fails as well must
// not hide the failure that the caller is about to report, so it is dropped.
void TellPeer(TIdTFTPTransport& transport, const std::string& packet) noexcept;

// Tells the peer with an ERROR packet why the transfer ends, then throws error.
template <class Error>
[[noreturn]] void TellPeerAndThrow(TIdTFTPTransport& transport, const Error& error) {
    TellPeer(transport, BuildErrorPacket(error.ErrorCode(), error.what()));
    throw error;
}
