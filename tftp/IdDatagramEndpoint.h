// The client's UDP/IPv4 endpoint: one socket, opened at the first send on a local port chosen by
// the system and closed after every transfer, so that each transfer leaves from a new port.
#pragma once

#include "tftp/IdDatagramSender.h"
#include "tftp/IdSocketApi.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TIdDatagramEndpoint : public TIdDatagramSender {
public:
    TIdDatagramEndpoint() = default;
    ~TIdDatagramEndpoint() override;
    TIdDatagramEndpoint(const TIdDatagramEndpoint&) = delete;
    TIdDatagramEndpoint& operator=(const TIdDatagramEndpoint&) = delete;

    // Resolves host (name or dotted address, IPv4 only) and sends bytes as one datagram to it.
    // A port outside 1..65535 is refused before anything is sent.
    void SendDatagram(const std::string& host, std::int32_t port,
                      const std::string& bytes) override;

    // Waits up to wait, as the clock lets time pass, for one datagram and returns it whole,
    // however long it is: whether it exceeds the receive limit is the caller's decision, after
    // it has seen the sender. Nothing when no datagram came. The bytes stay valid until the
    // next receive.
    std::optional<TIdDatagramView> ReceiveDatagram(Clock::Duration wait, Clock& clock);

    // Closes the socket and forgets the address the host name had, so that the next transfer
    // looks it up again: a device may have moved to another address (DHCP, a changed hosts
    // entry), and a transfer that failed there must not bind every later one to it.
    void CloseEndpoint() noexcept;
    bool IsOpen() const { return Socket != IdSocket::NoSocket; }

    // Looks a host name or dotted address up: the system's resolver, or a test's stand-in.
    std::function<std::uint32_t(const std::string&)> LookUpHost = IdSocket::ResolveIPv4;

private:
    IdSocket::Handle Socket = IdSocket::NoSocket;
    // The last host resolved, so that the packets of a transfer do not resolve once each.
    std::string ResolvedHost;
    std::uint32_t ResolvedAddress = 0;
    IdSocket::ReceiveRoom Received;
};
