#include "tests/tftp/FakeTftpServer.h"

#include "tftp/IdTrivialFTPBase.h"

#include <gtest/gtest.h>

#include <stdexcept>

LoopbackSocket::LoopbackSocket(const char* address) {
    IdSocket::AcquireLayer();
    try {
        Socket = IdSocket::OpenUdp();
        IdSocket::Bind(Socket, {address, 0});
        Bound = IdSocket::LocalAddress(Socket);
    } catch (const std::exception& e) {
        if (Socket != IdSocket::NoSocket)
            IdSocket::Close(Socket);
        IdSocket::ReleaseLayer();
        throw std::runtime_error(std::string("cannot bind a test socket to ") + address + ": " +
                                 e.what());
    }
}

LoopbackSocket::~LoopbackSocket() {
    IdSocket::Close(Socket);
    IdSocket::ReleaseLayer();
}

void LoopbackSocket::SendTo(const TIdUDPAddress& to, const std::string& bytes) const {
    IdSocket::SendTo(Socket, to, bytes);
}

std::optional<std::string> LoopbackSocket::Receive(int waitMs, TIdUDPAddress* from) const {
    if (!IdSocket::WaitReadable(Socket, Clock::Duration(waitMs), SystemClock())) {
        return std::nullopt;
    }
    std::optional<TIdDatagram> got = IdSocket::ReceiveWaiting(Socket, Buffer);
    if (!got) {
        return std::nullopt;
    }
    if (from != nullptr) {
        *from = got->From;
    }
    return std::move(got->Data);
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

void FakeTftpServer::ExpectError(std::uint16_t code, int waitMs) const {
    const std::optional<std::string> error = Receive(waitMs);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(PacketOpcode(*error), TFTP_ERROR);
    EXPECT_EQ(PacketWord(*error), code);
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
