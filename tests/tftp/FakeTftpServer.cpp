#include "FakeTftpServer.h"

#include "tftp/IdTrivialFTPBase.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <stdexcept>

LoopbackSocket::LoopbackSocket(const char* address) {
    Fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &local.sin_addr);
    socklen_t length = sizeof local;
    if (Fd < 0 || ::bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        throw std::runtime_error(std::string("cannot bind a test socket to ") + address);
    }
    BoundPort = ntohs(local.sin_port);
}

LoopbackSocket::~LoopbackSocket() {
    ::close(Fd);
}

void LoopbackSocket::SendTo(const sockaddr_in& to, const std::string& bytes) const {
    ::sendto(Fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::optional<std::string> LoopbackSocket::Receive(int waitMs, sockaddr_in* from) const {
    pollfd wanted{Fd, POLLIN, 0};
    if (::poll(&wanted, 1, waitMs) <= 0) {
        return std::nullopt;
    }
    std::string buffer(70000, '\0');
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t got = ::recvfrom(Fd, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&sender), &length);
    if (got < 0) {
        return std::nullopt;
    }
    if (from != nullptr) {
        *from = sender;
    }
    buffer.resize(static_cast<std::size_t>(got));
    return buffer;
}

FakeTftpServer::FakeTftpServer(Script script)
    : Runner([this, script = std::move(script)] { script(*this); }) {}

FakeTftpServer::~FakeTftpServer() {
    Join();
}

void FakeTftpServer::Join() {
    if (Runner.joinable()) {
        Runner.join();
    }
}

std::string FakeTftpServer::ReceiveRequest(int waitMs) {
    std::optional<std::string> request = Request.Receive(waitMs, &ClientAddress);
    EXPECT_TRUE(request.has_value()) << "no request arrived";
    return request.value_or("");
}

void FakeTftpServer::ExpectNoRequest(int waitMs) const {
    EXPECT_FALSE(Request.Receive(waitMs).has_value()) << "unexpected request";
}

void FakeTftpServer::Send(const std::string& packet) const {
    Transfer.SendTo(ClientAddress, packet);
}

std::optional<std::string> FakeTftpServer::Receive(int waitMs) const {
    return Transfer.Receive(waitMs);
}

void FakeTftpServer::Expect(const std::string& packet, int waitMs) const {
    const std::optional<std::string> got = Receive(waitMs);
    ASSERT_TRUE(got.has_value()) << "expected a packet, none came";
    EXPECT_EQ(*got, packet);
}

void FakeTftpServer::ExpectSilence(int waitMs) const {
    const std::optional<std::string> got = Receive(waitMs);
    EXPECT_FALSE(got.has_value()) << "unexpected packet of " << got->size() << " bytes";
}

void ServeBlocks(FakeTftpServer& server, const std::string& content, std::size_t blockSize,
                 std::uint16_t firstBlock) {
    std::uint16_t block = firstBlock;
    for (std::size_t offset = 0;; offset += blockSize, ++block) {
        const std::string_view data =
            std::string_view(content).substr(std::min(offset, content.size()), blockSize);
        server.Send(BuildDataPacket(block, data));
        const std::optional<std::string> ack = server.Receive();
        if (!ack || *ack != BuildAckPacket(block)) {
            ADD_FAILURE() << "no ACK for block " << block;
            return;
        }
        if (data.size() < blockSize) {
            return;
        }
    }
}

std::string CollectUpload(FakeTftpServer& server, std::size_t blockSize, std::uint16_t firstBlock,
                          std::size_t maxBlocks) {
    std::string received;
    std::uint16_t block = firstBlock;
    for (std::size_t count = 0; count < maxBlocks; ++count, ++block) {
        const std::optional<std::string> packet = server.Receive();
        if (!packet || packet->size() < TFTP_HEADER_SIZE || PacketOpcode(*packet) != TFTP_DATA ||
            PacketWord(*packet) != block) {
            ADD_FAILURE() << "expected DATA " << block;
            return received;
        }
        received.append(DataPayload(*packet));
        server.Send(BuildAckPacket(block));
        if (packet->size() - TFTP_HEADER_SIZE < blockSize) {
            break;
        }
    }
    return received;
}

std::string Pattern(std::size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed + i / 251) & 0xFF);
    }
    return bytes;
}
