#include "sim/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxDatagram = 65536;

std::runtime_error SocketError(const char* call) {
    return std::runtime_error(std::string(call) + ": " + std::strerror(errno));
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
    const sockaddr_in wanted = ToSockaddr({ip, port});
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw SocketError("socket");
    }
    handle_ = fd;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&wanted), sizeof wanted) != 0) {
        const auto error = SocketError("bind");
        Close();
        throw error;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
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
    other.handle_ = -1;
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        local_ = other.local_;
        other.handle_ = -1;
    }
    return *this;
}

void UdpSocket::Close() noexcept {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

void UdpSocket::SendTo(const std::string& data, const UdpAddress& to) const {
    const sockaddr_in target = ToSockaddr(to);
    const ssize_t sent = ::sendto(static_cast<int>(handle_), data.data(), data.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent < 0) {
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
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(static_cast<int>(handle_), buffer.data(), buffer.size(),
                                   MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            return std::nullopt;
        }
        throw SocketError("recvfrom");
    }
    buffer.resize(static_cast<std::size_t>(got));
    return Datagram{std::move(buffer), FromSockaddr(from)};
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(sockets.size());
    for (const UdpSocket* socket : sockets) {
        fds.push_back({static_cast<int>(socket->Handle()), POLLIN, 0});
    }
    std::vector<bool> readable(sockets.size(), false);
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) {
            return readable;
        }
        throw SocketError("poll");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        readable[i] = (fds[i].revents & (POLLIN | POLLERR)) != 0;
    }
    return readable;
}
