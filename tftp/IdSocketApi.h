// The socket calls of the program's UDP/IPv4 endpoints (the client's and the simulator's),
// written once above a small native layer per platform (IdSocketNative.h). Every failure raises
// EIdSocketError naming the call.
#pragma once

#include "support/Clock.h"
#include "tftp/IdDatagram.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace IdSocket {

using Handle = std::intptr_t;
inline constexpr Handle NoSocket = -1;

// The platform's socket layer: brought up by the first user in the process, released by the
// last. Thread-safe.
void AcquireLayer();
void ReleaseLayer();

// A UDP/IPv4 socket, not yet bound: its first send binds it to a local port chosen by the system.
Handle OpenUdp();
void Close(Handle socket) noexcept;
// Binds the socket to a local dotted address and port (port 0: any free port).
void Bind(Handle socket, const TIdUDPAddress& local);
// The address and port the socket is bound to.
TIdUDPAddress LocalAddress(Handle socket);

// IPv4 address (network byte order) of a host name or dotted address.
std::uint32_t ResolveIPv4(const std::string& host);
// IPv4 address (network byte order) of a dotted address; no name lookup.
std::uint32_t ParseIPv4(const std::string& text);
std::string AddressText(std::uint32_t address);

// Sends bytes as one datagram; fewer bytes sent than given is a failure.
void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes);
void SendTo(Handle socket, const TIdUDPAddress& to, const std::string& bytes);

// Waits up to wait, as the clock lets time pass, for a datagram to read; false when none came.
// A signal does not shorten the wait.
bool WaitReadable(Handle socket, Clock::Duration wait, Clock& clock);
// Waits up to waitMs (negative: without limit) until at least one of the sockets has a datagram
// or an error to read; the result marks those. A wait interrupted by a signal marks none.
std::vector<bool> WaitReadable(const std::vector<Handle>& sockets, std::int32_t waitMs);

// The room a socket's datagrams are read into, kept by the socket's owner between receives: the
// bytes of the last one, and the receive wait in force on the socket, which is set only when it
// changes.
struct ReceiveRoom {
    std::vector<char> Buffer;
    int WaitMs = 0; // 0: none set on this socket yet
    // The last sender's address, and its dotted text, made once for the datagrams of a transfer.
    std::uint32_t SenderAddress = 0;
    std::string SenderText;
};

// Waits up to wait, as the clock lets time pass, for one datagram and reads it whole into room,
// however long it is. The waiting is the receive's own (the socket's receive wait), so a packet
// costs one system call. Nothing when none came; a signal does not shorten the wait.
std::optional<TIdDatagramView> ReceiveWithin(Handle socket, Clock::Duration wait, Clock& clock,
                                             ReceiveRoom& room);

// Reads the datagram a wait has just reported, whole, however long it is. Nothing when it is
// gone by now or was only the system's report of an earlier datagram that could not be
// delivered. buffer is the room it is read into, kept by the caller between receives.
std::optional<TIdDatagram> ReceiveWaiting(Handle socket, std::vector<char>& buffer);

} // namespace IdSocket
