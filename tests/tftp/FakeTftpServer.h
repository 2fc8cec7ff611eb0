// A scriptable TFTP server on the loopback interface for the client's tests.
//
// The server binds a request port on 127.0.0.1 (port chosen by the system) and runs a script on
// its own thread: the script receives the client's request, then sends and expects packets from
// a transfer port of its own, as a real server does. Every wait has a bound, so a script whose
// client went away ends by itself; the destructor waits for the script.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/kit/Bytes.h"
#include "tftp/IdSocketApi.h"

// One UDP socket bound to a loopback address.
class LoopbackSocket {
public:
    explicit LoopbackSocket(const char* address = "127.0.0.1");
    ~LoopbackSocket();
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    std::int32_t Port() const { return Bound.Port; }
    void SendTo(const TIdUDPAddress& to, const std::string& bytes) const;
    // The next datagram within waitMs, and its sender in from (if given).
    std::optional<std::string> Receive(int waitMs, TIdUDPAddress* from = nullptr) const;

private:
    IdSocket::Handle Socket = IdSocket::NoSocket;
    TIdUDPAddress Bound;
    mutable std::vector<char> Buffer;
};

class FakeTftpServer {
public:
    using Script = std::function<void(FakeTftpServer&)>;

    explicit FakeTftpServer(Script script);
    ~FakeTftpServer();
    void Join();

    std::int32_t Port() const { return Request.Port(); }
    std::int32_t TransferPort() const { return Transfer.Port(); }

    // --- For scripts ---------------------------------------------------------------------
    // The next request on the request port (empty on time-out, which fails the test); its
    // sender becomes the client that Send answers.
    std::string ReceiveRequest(int waitMs = 3000);
    // Nothing may arrive at the request port for waitMs.
    void ExpectNoRequest(int waitMs) const;
    // Sends from the transfer port to the client.
    void Send(const std::string& packet) const;
    // The client's next packet at the transfer port; nothing within waitMs.
    std::optional<std::string> Receive(int waitMs = 3000) const;
    // Receives and compares; a missing or different packet fails the test.
    void Expect(const std::string& packet, int waitMs = 3000) const;
    // Nothing may arrive at the transfer port for waitMs.
    void ExpectSilence(int waitMs) const;
    // The client's next packet is an ERROR with code; anything else fails the test.
    void ExpectError(std::uint16_t code, int waitMs = 3000) const;

    const TIdUDPAddress& Client() const { return ClientAddress; }
    std::int32_t ClientPort() const { return ClientAddress.Port; }

private:
    LoopbackSocket Request;
    LoopbackSocket Transfer;
    TIdUDPAddress ClientAddress;
    std::thread Runner;
};

// Sends content as a download answer: DATA 1, 2, ... of blockSize bytes, each after the ACK of
// the one before, ending with a short (possibly empty) block. firstBlock lets a script start
// elsewhere; the block number wraps after 65535 to 0.
void ServeBlocks(FakeTftpServer& server, const std::string& content, std::size_t blockSize,
                 std::uint16_t firstBlock = 1);

// Receives an upload after the script has answered the request: acknowledges every DATA block
// and returns the data, up to the short last block or maxBlocks blocks. Fails the test on
// anything but the expected next block.
std::string CollectUpload(FakeTftpServer& server, std::size_t blockSize,
                          std::uint16_t firstBlock = 1, std::size_t maxBlocks = SIZE_MAX);
