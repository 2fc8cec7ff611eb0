// The rules of the socket calls, the same on every platform: the layer's user count, the
// failures and their messages, whole sends, waits that signals do not cut short, and receives of
// whole datagrams.
#include "tftp/IdSocketApi.h"
#include "tftp/IdSocketNative.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>

namespace IdSocket {

namespace {

// Larger than any UDP payload over IPv4 (65507 bytes), so the system never cuts a datagram.
constexpr std::size_t MaxDatagram = 65536;

std::mutex LayerLock;
int LayerUsers = 0;

[[noreturn]] void RaiseCallError(const std::string& call, int error) {
    throw EIdSocketError(call + " failed: " + Native::ErrorText(error));
}

[[noreturn]] void RaiseLastError(const std::string& call) {
    RaiseCallError(call, Native::LastError());
}

// One poll; the number of ready sockets, or -1 when a signal interrupted it.
int PollOnce(const Handle* sockets, bool* readable, std::size_t count, int waitMs) {
    const int ready = Native::Poll(sockets, readable, count, waitMs);
    if (ready < 0 && !Native::IsInterruption(Native::LastError())) {
        RaiseLastError("poll");
    }
    return ready;
}

} // namespace

void AcquireLayer() {
    const std::lock_guard<std::mutex> lock(LayerLock);
    if (LayerUsers == 0) {
        if (const int error = Native::StartLayer()) {
            RaiseCallError("socket layer start-up", error);
        }
    }
    ++LayerUsers;
}

void ReleaseLayer() {
    const std::lock_guard<std::mutex> lock(LayerLock);
    if (--LayerUsers == 0) {
        Native::StopLayer();
    }
}

Handle OpenUdp() {
    const Handle socket = Native::Open();
    if (socket == NoSocket) {
        RaiseLastError("socket");
    }
    return socket;
}

void Close(Handle socket) noexcept {
    Native::Close(socket);
}

void Bind(Handle socket, const TIdUDPAddress& local) {
    if (Native::Bind(socket, ParseIPv4(local.IP), local.Port) != 0) {
        RaiseLastError("bind");
    }
}

TIdUDPAddress LocalAddress(Handle socket) {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    if (Native::LocalAddress(socket, address, port) != 0) {
        RaiseLastError("getsockname");
    }
    return {AddressText(address), port};
}

std::uint32_t ResolveIPv4(const std::string& host) {
    std::uint32_t address = 0;
    if (const int code = Native::LookUp(host, address)) {
        throw EIdSocketError("getaddrinfo failed for host \"" + PrintableText(host, 64) +
                             "\": " + Native::LookUpErrorText(code));
    }
    return address;
}

void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes) {
    const std::int64_t sent = Native::SendTo(socket, address, port, bytes.data(), bytes.size());
    if (sent < 0) {
        RaiseLastError("sendto");
    }
    if (static_cast<std::size_t>(sent) != bytes.size()) {
        throw EIdSocketError("sendto sent only " + std::to_string(sent) + " of " +
                             std::to_string(bytes.size()) + " bytes");
    }
}

void SendTo(Handle socket, const TIdUDPAddress& to, const std::string& bytes) {
    SendTo(socket, ParseIPv4(to.IP), to.Port, bytes);
}

bool WaitReadable(Handle socket, Clock::Duration wait, Clock& clock) {
    // A signal (the command line's Ctrl+C handler, say) interrupts the poll; the wait then goes
    // on for the rest of its time, so that stray signals do not shorten a reply time-out.
    const Clock::TimePoint deadline = clock.Now() + wait;
    return clock.Await(wait, [&](Clock::Duration limit) {
        bool readable = false;
        while (PollOnce(&socket, &readable, 1, static_cast<int>(limit.count())) < 0) {
            limit = std::min(limit, clock.Until(deadline)); // never beyond the wait asked for
        }
        return readable;
    });
}

std::vector<bool> WaitReadable(const std::vector<Handle>& sockets, std::int32_t waitMs) {
    const auto flags = std::make_unique<bool[]>(sockets.size());
    const bool any =
        PollOnce(sockets.data(), flags.get(), sockets.size(), waitMs < 0 ? -1 : waitMs) > 0;
    std::vector<bool> readable(sockets.size(), false);
    for (std::size_t i = 0; any && i < sockets.size(); ++i) {
        readable[i] = flags[i];
    }
    return readable;
}

namespace {

// The wait of one ReceiveWithin, as the clock runs it: the receives it makes and what they got.
// It is captured by reference alone, so that handing it to the clock allocates nothing.
struct ReceiveAttempt {
    Handle Socket;
    Clock& Time;
    Clock::TimePoint Deadline;
    ReceiveRoom& Room;
    std::int64_t Received = -1;
    std::uint32_t Address = 0;
    std::uint16_t Port = 0;

    // Receives within limit; true when a datagram came, or the report of one.
    bool Within(Clock::Duration limit) {
        for (;;) {
            Received = ReceiveOnce(limit);
            if (Received >= 0) {
                return true;
            }
            const int error = Native::LastError();
            if (Native::IsTimeOut(error)) {
                return false;
            }
            if (Native::IsInterruption(error)) {
                limit = std::min(limit, Time.Until(Deadline)); // never beyond the wait asked for
                continue;
            }
            if (Native::IsNothingToRead(error)) {
                return true; // the report of an earlier datagram that could not be delivered
            }
            RaiseCallError("recvfrom", error);
        }
    }

    // One receive: at once when limit is 0 (a socket's receive wait of 0 would mean "for ever"),
    // else waiting up to limit.
    std::int64_t ReceiveOnce(Clock::Duration limit) {
        const bool wait = limit.count() > 0;
        if (wait) {
            const int waitMs =
                static_cast<int>(std::min<Clock::Duration::rep>(limit.count(), INT_MAX));
            if (waitMs != Room.WaitMs) {
                if (Native::SetReceiveWait(Socket, waitMs) != 0) {
                    RaiseLastError("setsockopt SO_RCVTIMEO");
                }
                Room.WaitMs = waitMs;
            }
        }
        return Native::ReceiveFrom(Socket, Room.Buffer.data(), Room.Buffer.size(), Address, Port,
                                   wait);
    }
};

} // namespace

std::optional<TIdDatagramView> ReceiveWithin(Handle socket, Clock::Duration wait, Clock& clock,
                                             ReceiveRoom& room) {
    room.Buffer.resize(MaxDatagram);
    ReceiveAttempt attempt{socket, clock, clock.Now() + wait, room};
    clock.Await(wait, [&attempt](Clock::Duration limit) { return attempt.Within(limit); });
    if (attempt.Received < 0) {
        return std::nullopt;
    }
    if (room.SenderText.empty() || attempt.Address != room.SenderAddress) {
        room.SenderAddress = attempt.Address;
        room.SenderText = AddressText(attempt.Address);
    }
    return TIdDatagramView{{room.Buffer.data(), static_cast<std::size_t>(attempt.Received)},
                           {room.SenderText, attempt.Port}};
}

std::optional<TIdDatagram> ReceiveWaiting(Handle socket, std::vector<char>& buffer) {
    buffer.resize(MaxDatagram);
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    const std::int64_t received =
        Native::ReceiveFrom(socket, buffer.data(), buffer.size(), address, port);
    if (received >= 0) {
        return TIdDatagram{std::string(buffer.data(), static_cast<std::size_t>(received)),
                           {AddressText(address), port}};
    }
    if (Native::IsNothingToRead(Native::LastError())) {
        return std::nullopt;
    }
    RaiseLastError("recvfrom");
}

} // namespace IdSocket
