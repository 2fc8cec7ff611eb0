// BSD socket backend of the datagram endpoint.
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

std::string AddressText(std::uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}

void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(port);
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
            ::poll(&wanted, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            return false;
        }
        if (errno != EINTR) {
            RaiseCallError("poll", errno);
        }
    }
}

std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t received;
    do {
        received = ::recvfrom(Descriptor(socket), buffer, size, 0,
                              reinterpret_cast<sockaddr*>(&from), &fromLength);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        RaiseCallError("recvfrom", errno);
    }
    address = from.sin_addr.s_addr;
    port = ntohs(from.sin_port);
    return static_cast<std::size_t>(received);
}

} // namespace IdSocket
