// The socket calls on POSIX systems: BSD sockets.
#include "tftp/IdSocketNative.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace IdSocket::Native {

namespace {

int Descriptor(Handle socket) {
    return static_cast<int>(socket);
}

sockaddr_in SocketAddress(std::uint32_t address, std::uint16_t port) {
    return {.sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {address}, .sin_zero = {}};
}

// Runs a call that reports an address (getsockname, recvfrom) and unpacks what it reported.
template <class Call>
auto ReportedAddress(std::uint32_t& address, std::uint16_t& port, const Call& call) {
    sockaddr_in reported{};
    socklen_t length = sizeof reported;
    const auto result = call(reinterpret_cast<sockaddr*>(&reported), &length);
    address = reported.sin_addr.s_addr;
    port = ntohs(reported.sin_port);
    return result;
}

} // namespace

int StartLayer() {
    return 0;
}

void StopLayer() {}

Handle Open() {
    return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

void Close(Handle socket) noexcept {
    ::close(Descriptor(socket));
}

int LastError() {
    return errno;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

bool IsInterruption(int error) {
    return error == EINTR;
}

bool IsNothingToRead(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

int Bind(Handle socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = SocketAddress(address, port);
    return ::bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local);
}

int LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port) {
    return ReportedAddress(address, port, [&](sockaddr* local, socklen_t* length) {
        return ::getsockname(Descriptor(socket), local, length);
    });
}

int LookUp(const std::string& host, std::uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result == 0) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
    }
    return result;
}

std::string LookUpErrorText(int code) {
    return code == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(code);
}

std::int64_t SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const char* bytes,
                    std::size_t size) {
    const sockaddr_in to = SocketAddress(address, port);
    return ::sendto(Descriptor(socket), bytes, size, 0, reinterpret_cast<const sockaddr*>(&to),
                    sizeof to);
}

int Poll(const Handle* sockets, bool* readable, std::size_t count, int waitMs) {
    std::vector<pollfd> wanted(count);
    for (std::size_t i = 0; i < count; ++i) {
        wanted[i] = {Descriptor(sockets[i]), POLLIN, 0};
    }
    const int ready = ::poll(wanted.data(), count, waitMs);
    for (std::size_t i = 0; i < count; ++i) {
        readable[i] = ready > 0 && (wanted[i].revents & (POLLIN | POLLERR)) != 0;
    }
    return ready;
}

std::int64_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                         std::uint16_t& port, bool wait) {
    return ReportedAddress(address, port, [&](sockaddr* from, socklen_t* length) {
        return ::recvfrom(Descriptor(socket), buffer, size, wait ? 0 : MSG_DONTWAIT, from, length);
    });
}

int SetReceiveWait(Handle socket, int waitMs) {
    const timeval wait{.tv_sec = waitMs / 1000, .tv_usec = (waitMs % 1000) * 1000};
    return ::setsockopt(Descriptor(socket), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
}

bool IsTimeOut(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace IdSocket::Native
