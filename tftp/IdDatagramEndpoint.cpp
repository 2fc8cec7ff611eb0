#include "tftp/IdDatagramEndpoint.h"

#include "tftp/IdExceptions.h"

namespace {

// Larger than any UDP payload over IPv4 (65507 bytes), so the system never cuts a datagram.
constexpr std::size_t ReceiveBufferSize = 65536;

} // namespace

TIdDatagramEndpoint::~TIdDatagramEndpoint() {
    CloseEndpoint();
}

void TIdDatagramEndpoint::SendDatagram(const std::string& host, std::int32_t port,
                                       const std::string& bytes) {
    if (port < 1 || port > 65535) {
        throw EIdSocketError("Invalid UDP port " + std::to_string(port) + ": ports are 1 to 65535");
    }
    if (host != ResolvedHost || ResolvedHost.empty()) {
        ResolvedAddress = IdSocket::ResolveIPv4(host);
        ResolvedHost = host;
    }
    if (!IsOpen()) {
        Socket = IdSocket::OpenUdp();
    }
    IdSocket::SendTo(Socket, ResolvedAddress, static_cast<std::uint16_t>(port), bytes);
}

std::optional<TIdDatagram> TIdDatagramEndpoint::ReceiveDatagram(std::int32_t waitMs) {
    if (!IsOpen()) {
        throw EIdSocketError("No datagram can be received before the first one is sent");
    }
    if (!IdSocket::WaitReadable(Socket, waitMs)) {
        return std::nullopt;
    }
    ReceiveBuffer.resize(ReceiveBufferSize);
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    const std::size_t length =
        IdSocket::ReceiveFrom(Socket, ReceiveBuffer.data(), ReceiveBuffer.size(), address, port);
    return TIdDatagram{std::string(ReceiveBuffer.data(), length), IdSocket::AddressText(address),
                       port};
}

void TIdDatagramEndpoint::CloseEndpoint() noexcept {
    if (IsOpen()) {
        IdSocket::Close(Socket);
        Socket = IdSocket::NoSocket;
    }
}
