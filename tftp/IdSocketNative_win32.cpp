// The socket calls on Windows: Winsock 2.
#include "tftp/IdSocketNative.h"

#include "support/WideText.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mswsock.h>

#include <vector>

namespace IdSocket::Native {

namespace {

SOCKET Native(Handle socket) {
    return static_cast<SOCKET>(socket);
}

// Winsock reports failures as SOCKET_ERROR; the layer above expects -1.
int Result(int value) {
    return value == SOCKET_ERROR ? -1 : value;
}

// An IPv4 address as Winsock takes and gives it, with the size that its calls pass along.
struct Inet {
    SOCKADDR_IN value{};
    int size = sizeof value;

    Inet() = default;
    Inet(std::uint32_t address, std::uint16_t port) {
        value.sin_family = AF_INET;
        value.sin_port = ::htons(port);
        value.sin_addr.S_un.S_addr = address;
    }
    SOCKADDR* Generic() { return reinterpret_cast<SOCKADDR*>(&value); }
    void Unpack(std::uint32_t& address, std::uint16_t& port) const {
        address = value.sin_addr.S_un.S_addr;
        port = ::ntohs(value.sin_port);
    }
};

} // namespace

int StartLayer() {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data);
}

void StopLayer() {
    ::WSACleanup();
}

int LastError() {
    return ::WSAGetLastError();
}

std::string ErrorText(int error) {
    // In the user's language, which may need letters beyond ASCII: UTF-16, then the program's text.
    wchar_t text[256] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(error), 0, text, 256, nullptr);
    return Utf8Text(text) + " (" + std::to_string(error) + ")";
}

bool IsInterruption(int error) {
    return error == WSAEINTR;
}

bool IsNothingToRead(int error) {
    return error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAEMSGSIZE;
}

Handle Open() {
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET) {
        return NoSocket;
    }
    // Without this, an ICMP "port unreachable" for an earlier datagram makes the next receive
    // fail with WSAECONNRESET instead of simply waiting for the reply. A system that refuses
    // the switch still works: a receive treats that report as no datagram.
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

int Bind(Handle socket, std::uint32_t address, std::uint16_t port) {
    Inet local(address, port);
    return Result(::bind(Native(socket), local.Generic(), local.size));
}

int LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port) {
    Inet local;
    const int result = Result(::getsockname(Native(socket), local.Generic(), &local.size));
    local.Unpack(address, port);
    return result;
}

std::int64_t SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const char* bytes,
                    std::size_t size) {
    Inet to(address, port);
    return Result(
        ::sendto(Native(socket), bytes, static_cast<int>(size), 0, to.Generic(), to.size));
}

int Poll(const Handle* sockets, bool* readable, std::size_t count, int waitMs) {
    std::vector<WSAPOLLFD> wanted(count);
    for (std::size_t i = 0; i < count; ++i) {
        wanted[i] = {Native(sockets[i]), POLLRDNORM, 0};
    }
    const int ready = Result(::WSAPoll(wanted.data(), static_cast<ULONG>(count), waitMs));
    for (std::size_t i = 0; i < count; ++i) {
        readable[i] = ready > 0 && (wanted[i].revents & (POLLRDNORM | POLLERR)) != 0;
    }
    return ready;
}

// The socket blocks: a receive that is not to wait reads only a datagram that is there already.
std::int64_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                         std::uint16_t& port, bool wait) {
    if (!wait) {
        bool readable = false;
        const int ready = Poll(&socket, &readable, 1, 0);
        if (ready <= 0) {
            if (ready == 0) {
                ::WSASetLastError(WSAEWOULDBLOCK);
            }
            return -1;
        }
    }
    Inet from;
    const int received = Result(
        ::recvfrom(Native(socket), buffer, static_cast<int>(size), 0, from.Generic(), &from.size));
    from.Unpack(address, port);
    return received;
}

int SetReceiveWait(Handle socket, int waitMs) {
    const DWORD wait = static_cast<DWORD>(waitMs);
    return Result(::setsockopt(Native(socket), SOL_SOCKET, SO_RCVTIMEO,
                               reinterpret_cast<const char*>(&wait), sizeof wait));
}

bool IsTimeOut(int error) {
    return error == WSAETIMEDOUT || error == WSAEWOULDBLOCK;
}

int LookUp(const std::string& host, std::uint32_t& address) {
    const ADDRINFOA hints{0, AF_INET, SOCK_DGRAM, 0, 0, nullptr, nullptr, nullptr};
    ADDRINFOA* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result == 0) {
        address = reinterpret_cast<const SOCKADDR_IN*>(found->ai_addr)->sin_addr.S_un.S_addr;
        ::freeaddrinfo(found);
    }
    return result;
}

std::string LookUpErrorText(int code) {
    return Utf8Text(gai_strerrorW(code));
}

} // namespace IdSocket::Native
