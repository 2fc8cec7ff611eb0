// Winsock backend of the UDP endpoints.
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mswsock.h>

#include <mutex>

namespace IdSocket {

namespace {

std::mutex LayerLock;
int LayerUsers = 0;

[[noreturn]] void RaiseCallError(const std::string& call, int error) {
    char text[256] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    throw EIdSocketError(call + " failed: " + text + " (" + std::to_string(error) + ")");
}

SOCKET Native(Handle socket) {
    return static_cast<SOCKET>(socket);
}

sockaddr_in SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = address;
    result.sin_port = ::htons(port);
    return result;
}

// One WSAPoll; the number of ready sockets.
int PollOnce(WSAPOLLFD* wanted, std::size_t count, std::int32_t waitMs) {
    const int ready = ::WSAPoll(wanted, static_cast<ULONG>(count), waitMs);
    if (ready == SOCKET_ERROR) {
        RaiseCallError("WSAPoll", ::WSAGetLastError());
    }
    return ready;
}

// One recvfrom; its result, with WSAGetLastError telling why when it failed.
int ReceiveOnce(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                std::uint16_t& port) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int received = ::recvfrom(Native(socket), buffer, static_cast<int>(size), 0,
                                    reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received != SOCKET_ERROR) {
        address = from.sin_addr.s_addr;
        port = ::ntohs(from.sin_port);
    }
    return received;
}

} // namespace

void AcquireLayer() {
    const std::lock_guard<std::mutex> lock(LayerLock);
    if (LayerUsers == 0) {
        WSADATA data{};
        const int result = ::WSAStartup(MAKEWORD(2, 2), &data);
        if (result != 0) {
            RaiseCallError("WSAStartup", result);
        }
    }
    ++LayerUsers;
}

void ReleaseLayer() {
    const std::lock_guard<std::mutex> lock(LayerLock);
    if (--LayerUsers == 0) {
        ::WSACleanup();
    }
}

Handle OpenUdp() {
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET) {
        RaiseCallError("socket", ::WSAGetLastError());
    }
    // Without this, an ICMP "port unreachable" for an earlier datagram makes the next receive
    // fail with WSAECONNRESET instead of simply waiting for the reply. A system that refuses
    // the switch still works: a receive after a wait treats that report as no datagram.
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(socket, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &returned,
               nullptr, nullptr);
    return static_cast<Handle>(socket);
}

void Close(Handle socket) noexcept {
    ::shutdown(Native(socket), SD_SEND);
    ::closesocket(Native(socket));
}

void Bind(Handle socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = SocketAddress(address, port);
    if (::bind(Native(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) ==
        SOCKET_ERROR) {
        RaiseCallError("bind", ::WSAGetLastError());
    }
}

void LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in local{};
    int length = sizeof local;
    if (::getsockname(Native(socket), reinterpret_cast<sockaddr*>(&local), &length) ==
        SOCKET_ERROR) {
        RaiseCallError("getsockname", ::WSAGetLastError());
    }
    address = local.sin_addr.s_addr;
    port = ::ntohs(local.sin_port);
}

std::uint32_t ResolveIPv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0) {
        throw EIdSocketError("getaddrinfo failed for host \"" + PrintableText(host, 64) +
                             "\": " + gai_strerrorA(result));
    }
    const std::uint32_t address =
        reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return address;
}

void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes) {
    const sockaddr_in to = SocketAddress(address, port);
    const int sent = ::sendto(Native(socket), bytes.data(), static_cast<int>(bytes.size()), 0,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent == SOCKET_ERROR) {
        RaiseCallError("sendto", ::WSAGetLastError());
    }
    if (static_cast<std::size_t>(sent) != bytes.size()) {
        throw EIdSocketError("sendto sent only " + std::to_string(sent) + " of " +
                             std::to_string(bytes.size()) + " bytes");
    }
}

bool WaitReadable(Handle socket, std::int32_t waitMs) {
    WSAPOLLFD wanted{Native(socket), POLLRDNORM, 0};
    return PollOnce(&wanted, 1, waitMs) > 0;
}

std::vector<bool> WaitReadable(const std::vector<Handle>& sockets, std::int32_t waitMs) {
    std::vector<WSAPOLLFD> wanted;
    wanted.reserve(sockets.size());
    for (const Handle socket : sockets) {
        wanted.push_back({Native(socket), POLLRDNORM, 0});
    }
    std::vector<bool> readable(sockets.size(), false);
    if (PollOnce(wanted.data(), wanted.size(), waitMs < 0 ? -1 : waitMs) > 0) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            readable[i] = (wanted[i].revents & (POLLRDNORM | POLLERR)) != 0;
        }
    }
    return readable;
}

std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port) {
    const int received = ReceiveOnce(socket, buffer, size, address, port);
    if (received == SOCKET_ERROR) {
        RaiseCallError("recvfrom", ::WSAGetLastError());
    }
    return static_cast<std::size_t>(received);
}

std::optional<std::size_t> ReceiveWaiting(Handle socket, char* buffer, std::size_t size,
                                          std::uint32_t& address, std::uint16_t& port) {
    // The socket blocks, but only one thread reads it and the wait has seen the datagram.
    const int received = ReceiveOnce(socket, buffer, size, address, port);
    if (received != SOCKET_ERROR) {
        return static_cast<std::size_t>(received);
    }
    const int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAEMSGSIZE) {
        return std::nullopt;
    }
    RaiseCallError("recvfrom", error);
}

} // namespace IdSocket
