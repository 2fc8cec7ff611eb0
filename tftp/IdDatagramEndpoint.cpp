#include "tftp/IdDatagramEndpoint.h"

#include "tftp/IdExceptions.h"

TIdDatagramEndpoint::~TIdDatagramEndpoint() {
    CloseEndpoint();
}

void TIdDatagramEndpoint::SendDatagram(const std::string& host, std::int32_t port,
                                       const std::string& bytes) {
    if (port < 1 || port > 65535) {
        throw EIdSocketError("Invalid UDP port " + std::to_string(port) + ": ports are 1 to 65535");
    }
    if (host != ResolvedHost || ResolvedHost.empty()) {
        ResolvedAddress = LookUpHost(host);
        ResolvedHost = host;
    }
    if (!IsOpen()) {
        Socket = IdSocket::OpenUdp();
    }
    IdSocket::SendTo(Socket, ResolvedAddress, static_cast<std::uint16_t>(port), bytes);
}

std::optional<TIdDatagramView> TIdDatagramEndpoint::ReceiveDatagram(Clock::Duration wait,
                                                                    Clock& clock) {
    if (!IsOpen()) {
        throw EIdSocketError("No datagram can be received before the first one is sent");
    }
    return IdSocket::ReceiveWithin(Socket, wait, clock, Received);
}

void TIdDatagramEndpoint::CloseEndpoint() noexcept {
    ResolvedHost.clear();
    if (IsOpen()) {
        IdSocket::Close(Socket);
        Socket = IdSocket::NoSocket;
        Received.WaitMs = 0; // the next socket has no receive wait set
    }
}
