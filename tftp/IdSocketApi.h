// The few socket calls the datagram endpoint needs, one implementation per platform (BSD sockets
// on POSIX systems, Winsock on Windows). Every failure raises EIdSocketError naming the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace IdSocket {

using Handle = std::intptr_t;
inline constexpr Handle NoSocket = -1;

// The platform's socket layer: brought up by the first user in the process, released by the
// last. Thread-safe.
void AcquireLayer();
void ReleaseLayer();

// A UDP/IPv4 socket on a local port chosen by the system.
Handle OpenUdp();
void Close(Handle socket) noexcept;

// IPv4 address (network byte order) of a host name or dotted address.
std::uint32_t ResolveIPv4(const std::string& host);
std::string AddressText(std::uint32_t address);

// Sends bytes as one datagram; fewer bytes sent than given is a failure.
void SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const std::string& bytes);

// Waits up to waitMs for a datagram to read; false when none came.
bool WaitReadable(Handle socket, std::int32_t waitMs);

// Reads one datagram into buffer (size must exceed the largest UDP payload, so nothing is cut
// off) and returns its length and sender.
std::size_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                        std::uint16_t& port);

} // namespace IdSocket
