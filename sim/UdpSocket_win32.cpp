#include "sim/UdpSocket.h"

// select() must be able to wait on every transfer's port and stray port at once.
#define FD_SETSIZE 256
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <stdexcept>

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace {

constexpr int kMaxDatagram = 65536;

std::runtime_error SocketError(const char* call) {
    return std::runtime_error(std::string(call) + ": Winsock error " +
                              std::to_string(WSAGetLastError()));
}

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
    });
}

sockaddr_in ToSockaddr(const UdpAddress& address) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(address.port);
    if (inet_pton(AF_INET, address.ip.c_str(), &result.sin_addr) != 1) {
        throw std::runtime_error("\"" + address.ip + "\" is not an IPv4 address");
    }
    return result;
}

UdpAddress FromSockaddr(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return {text, ntohs(address.sin_port)};
}

} // namespace

UdpSocket::UdpSocket(const std::string& ip, std::uint16_t port) {
    StartWinsock();
    const sockaddr_in wanted = ToSockaddr({ip, port});
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        throw SocketError("socket");
    }
    handle_ = static_cast<std::intptr_t>(s);
    // Without this, an ICMP "port unreachable" for an earlier datagram makes the next receive
    // fail with WSAECONNRESET.
    BOOL off = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&wanted), sizeof wanted) != 0) {
        const auto error = SocketError("bind");
        Close();
        throw error;
    }
    sockaddr_in bound{};
    int length = sizeof bound;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        const auto error = SocketError("getsockname");
        Close();
        throw error;
    }
    local_ = FromSockaddr(bound);
}

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : handle_(other.handle_), local_(other.local_) {
    other.handle_ = static_cast<std::intptr_t>(INVALID_SOCKET);
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        local_ = other.local_;
        other.handle_ = static_cast<std::intptr_t>(INVALID_SOCKET);
    }
    return *this;
}

void UdpSocket::Close() noexcept {
    if (static_cast<SOCKET>(handle_) != INVALID_SOCKET) {
        ::closesocket(static_cast<SOCKET>(handle_));
        handle_ = static_cast<std::intptr_t>(INVALID_SOCKET);
    }
}

void UdpSocket::SendTo(const std::string& data, const UdpAddress& to) const {
    const sockaddr_in target = ToSockaddr(to);
    const int sent =
        ::sendto(static_cast<SOCKET>(handle_), data.data(), static_cast<int>(data.size()), 0,
                 reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent == SOCKET_ERROR) {
        throw SocketError("sendto");
    }
    if (static_cast<std::size_t>(sent) != data.size()) {
        throw std::runtime_error("sendto: datagram sent only in part");
    }
}

std::optional<Datagram> UdpSocket::Receive(int waitMs) const {
    if (!WaitReadable({this}, waitMs)[0]) {
        return std::nullopt;
    }
    std::string buffer(kMaxDatagram, '\0');
    sockaddr_in from{};
    int length = sizeof from;
    const int got = ::recvfrom(static_cast<SOCKET>(handle_), buffer.data(), kMaxDatagram, 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
    if (got == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAEMSGSIZE) {
            return std::nullopt;
        }
        throw SocketError("recvfrom");
    }
    buffer.resize(static_cast<std::size_t>(got));
    return Datagram{std::move(buffer), FromSockaddr(from)};
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    for (const UdpSocket* socket : sockets) {
        FD_SET(static_cast<SOCKET>(socket->Handle()), &set);
    }
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    std::vector<bool> readable(sockets.size(), false);
    if (::select(0, &set, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit) == SOCKET_ERROR) {
        throw SocketError("select");
    }
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        readable[i] = FD_ISSET(static_cast<SOCKET>(sockets[i]->Handle()), &set) != 0;
    }
    return readable;
}
