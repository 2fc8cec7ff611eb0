// BSD socket backend of the UDP endpoints.
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace IdSocket {

namespace {

[[noreturn]] void RaiseCallError(const std::string& call, int error) {
    throw EIdSocketError(call + " failed: " + std::strerror(error));
}

int Descriptor(Handle socket) {
    return static_cast<int>(socket);
}

sockaddr_in SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = address;
    result.sin_port = htons(port);
    return result;
}

// One poll; the number of ready sockets, or -1 when a signal interrupted it.
int PollOnce(pollfd* wanted, std::size_t count, int waitMs) {
    const int ready = ::poll(wanted, count, waitMs);
    if (ready < 0 && errno != EINTR) {
        RaiseCallError("poll", errno);
    }
    return ready;
}

// One recvfrom; its result, with errno set when it failed.
ssize_t ReceiveOnce(Handle socket, char* buffer, std::size_t size, int flags,
                    std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received = ::recvfrom(Descriptor(socket), buffer, size, flags,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received >= 0) {
        address = from.sin_addr.s_addr;
        port = ntohs(from.sin_port);
    }
    return received;
}

} // namespace

void AcquireLayer() {}

void ReleaseLayer() {}

Handle OpenUdp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        RaiseCallError("socket", errno);
    }
    return fd;
}

void Close(Handle socket) noexcept {
    ::close(Descriptor(socket));
}

void Bind(Handle socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = SocketAddress(address, port);
    if (::bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        RaiseCallError("bind", errno);
    }
}

void LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        RaiseCallError("getsockname", errno);
    }
    address = local.sin_addr.s_addr;
    port = ntohs(local.sin_port);
}

std::uint32_t ResolveIPv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0) {
        const std::string reason =
            result == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(result);
        throw EIdSocketError("getaddrinfo failed for host \"" + PrintableText(host, 64) +
                             "\": " + reason);
    }
    const std::uint32_t address =
        reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return address;
}

void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes) {
    const sockaddr_in to = SocketAddress(address, port);
    const ssize_t sent = ::sendto(Descriptor(socket), bytes.data(), bytes.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent < 0) {
        RaiseCallError("sendto", errno);
    }
    if (static_cast<std::size_t>(sent) != bytes.size()) {
        throw EIdSocketError("sendto sent only " + std::to_string(sent) + " of " +
                             std::to_string(bytes.size()) + " bytes");
    }
}

bool WaitReadable(Handle socket, std::int32_t waitMs) {
    // A signal (the command line's Ctrl+C handler, say) interrupts poll; the wait then goes on
    // for the rest of its time, so that stray signals do not shorten a reply time-out.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wanted{Descriptor(socket), POLLIN, 0};
        const int ready =
            PollOnce(&wanted, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
        if (ready >= 0) {
            return ready > 0;
        }
    }
}

std::vector<bool> WaitReadable(const std::vector<Handle>& sockets, std::int32_t waitMs) {
    std::vector<pollfd> wanted;
    wanted.reserve(sockets.size());
    for (const Handle socket : sockets) {
        wanted.push_back({Descriptor(socket), POLLIN, 0});
    }
    std::vector<bool> readable(sockets.size(), false);
    if (PollOnce(wanted.data(), wanted.size(), waitMs < 0 ? -1 : waitMs) > 0) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            readable[i] = (wanted[i].revents & (POLLIN | POLLERR)) != 0;
        }
    }
    return readable;
}

std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port) {
    ssize_t received;
    do {
        received = ReceiveOnce(socket, buffer, size, 0, address, port);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        RaiseCallError("recvfrom", errno);
    }
    return static_cast<std::size_t>(received);
}

std::optional<std::size_t> ReceiveWaiting(Handle socket, char* buffer, std::size_t size,
                                          std::uint32_t& address, std::uint16_t& port) {
    const ssize_t received = ReceiveOnce(socket, buffer, size, MSG_DONTWAIT, address, port);
    if (received >= 0) {
        return static_cast<std::size_t>(received);
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        return std::nullopt;
    }
    RaiseCallError("recvfrom", errno);
}

} // namespace IdSocket
