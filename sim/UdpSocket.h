// A plain IPv4 UDP socket for the simulator's side of the link, and a wait on several at once,
// on top of the program's socket layer.
//
// The simulator answers every transfer from a socket of its own (a fresh port), so it needs to
// bind, send to any address, receive with the sender's address, and wait on many sockets.
#pragma once

#include "tftp/IdSocketApi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class UdpSocket {
public:
    // Binds to ip (a dotted IPv4 address) and port (0: any free port). Failures throw
    // std::runtime_error naming the failing call.
    UdpSocket(const std::string& ip, std::uint16_t port);
    ~UdpSocket();
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    TIdUDPAddress Local() const { return local_; }
    void SendTo(const std::string& data, const TIdUDPAddress& to) const;
    // One datagram if one arrives within waitMs (0: only one already waiting).
    std::optional<TIdDatagram> Receive(int waitMs);

    IdSocket::Handle Handle() const { return handle_; }

private:
    void Close() noexcept;

    IdSocket::Handle handle_ = IdSocket::NoSocket;
    TIdUDPAddress local_;
    std::vector<char> buffer_; // kept between receives
};

// Waits up to timeoutMs (negative: without limit) until at least one socket is readable; the
// result marks the readable ones. A wait interrupted by a signal reports none.
std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs);
