// Winsock backend of the datagram endpoint.
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mstcpip.h>

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
    // fail with WSAECONNRESET instead of simply waiting for the reply.
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
    to.sin_port = ::htons(port);
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
    const int ready = ::WSAPoll(&wanted, 1, waitMs);
    if (ready == SOCKET_ERROR) {
        RaiseCallError("WSAPoll", ::WSAGetLastError());
    }
    return ready > 0;
}

std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int received = ::recvfrom(Native(socket), buffer, static_cast<int>(size), 0,
                                    reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received == SOCKET_ERROR) {
        RaiseCallError("recvfrom", ::WSAGetLastError());
    }
    address = from.sin_addr.s_addr;
    port = ::ntohs(from.sin_port);
    return static_cast<std::size_t>(received);
}

} // namespace IdSocket
