// The socket calls of the program's UDP/IPv4 endpoints (the client's and the simulator's), one
// implementation per platform (BSD sockets on POSIX systems, Winsock on Windows). Every failure
// raises EIdSocketError naming the call.
#pragma once

#include <cstddef>
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
// Binds the socket to a local address and port (port 0: any free port).
void Bind(Handle socket, std::uint32_t address, std::uint16_t port);
// The address and port the socket is bound to.
void LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port);

// IPv4 address (network byte order) of a host name or dotted address.
std::uint32_t ResolveIPv4(const std::string& host);
// IPv4 address (network byte order) of a dotted address; no name lookup.
std::uint32_t ParseIPv4(const std::string& text);
std::string AddressText(std::uint32_t address);

// Sends bytes as one datagram; fewer bytes sent than given is a failure.
void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes);

// Waits up to waitMs for a datagram to read; false when none came. A signal does not shorten
// the wait.
bool WaitReadable(Handle socket, std::int32_t waitMs);
// Waits up to waitMs (negative: without limit) until at least one of the sockets has a datagram
// or an error to read; the result marks those. A wait interrupted by a signal marks none.
std::vector<bool> WaitReadable(const std::vector<Handle>& sockets, std::int32_t waitMs);

// Reads one datagram into buffer (size must exceed the largest UDP payload, so nothing is cut
// off) and returns its length and sender. Waits for one when none is there.
std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port);
// The same for a datagram a wait has just reported: nothing when it is gone by now or was only
// the system's report of an earlier datagram that could not be delivered.
std::optional<std::size_t> ReceiveWaiting(Handle socket, char* buffer, std::size_t size,
                                          std::uint32_t& address, std::uint16_t& port);

} // namespace IdSocket
