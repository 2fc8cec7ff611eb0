// The native layer under the socket calls: one system call each, with the platform's own types
// and names kept inside (BSD sockets on POSIX systems, Winsock on Windows). Failures are reported
// the system's way, -1 and the error in LastError(); IdSocket (IdSocketApi.h) turns them into
// exceptions and holds every rule above the calls.
#pragma once

#include "tftp/IdSocketApi.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace IdSocket::Native {

// 0, or the error that kept the layer from starting.
int StartLayer();
void StopLayer();

// A UDP/IPv4 socket, or NoSocket.
Handle Open();
void Close(Handle socket) noexcept;

// The error of the last call that failed on this thread, its text, and what it means.
int LastError();
std::string ErrorText(int error);
bool IsInterruption(int error);
// Nothing is there to read after all: the datagram is gone, or the system reported an earlier
// datagram that could not be delivered.
bool IsNothingToRead(int error);

int Bind(Handle socket, std::uint32_t address, std::uint16_t port);
int LocalAddress(Handle socket, std::uint32_t& address, std::uint16_t& port);

// 0 and the first IPv4 address of host, or the resolver's error code.
int LookUp(const std::string& host, std::uint32_t& address);
std::string LookUpErrorText(int code);

// Bytes sent, or -1.
std::int64_t SendTo(Handle socket, std::uint32_t address, std::uint16_t port, const char* bytes,
                    std::size_t size);
// Number of sockets with a datagram or an error to read (marked in readable), or -1. waitMs
// negative: without limit.
int Poll(const Handle* sockets, bool* readable, std::size_t count, int waitMs);
// Bytes of one datagram read, or -1: without waiting, or (wait) waiting for one up to the
// socket's receive wait.
std::int64_t ReceiveFrom(Handle socket, char* buffer, std::size_t size, std::uint32_t& address,
                         std::uint16_t& port, bool wait = false);
// How long a waiting receive on the socket may wait, in ms (1 or more); 0, or -1.
int SetReceiveWait(Handle socket, int waitMs);
// A receive ended because nothing came: its wait ran out, or it was not to wait.
bool IsTimeOut(int error);

} // namespace IdSocket::Native
