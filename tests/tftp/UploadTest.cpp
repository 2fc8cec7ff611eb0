// Uploads against the scripted server: block building, sending again, the end of an upload.
#include "tests/kit/MemoryPeer.h"
#include "tests/kit/WriterLock.h"
#include "tests/tftp/ClientTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

using namespace std::string_literals;

namespace {

// Sends an upload of content and returns the client's work events.
std::vector<std::string> UploadWithLog(FakeTftpServer& server, const std::string& content,
                                       std::int32_t retries = 3) {
    auto client = ClientFor(server);
    WorkLog log;
    log.Attach(*client);
    std::istringstream stream(content);
    client->Upload(stream, "cfg.bin", retries);
    server.Join();
    return log.events;
}

// A source that claims to hold 2^31 bytes.
struct HugeSource : std::streambuf {
    off_type at = 0;
    pos_type seekoff(off_type offset, std::ios::seekdir dir, std::ios::openmode) override {
        const off_type base = dir == std::ios::end   ? off_type(1) << 31
                              : dir == std::ios::cur ? at
                                                     : 0;
        return at = base + offset;
    }
    pos_type seekpos(pos_type position, std::ios::openmode) override { return at = position; }
};

} // namespace

TEST(Upload, ServerWithoutOptionsGetsFullBlocksAndAnEmptyLastOne) {
    const std::string content = PatternBytes(1024);
    FakeTftpServer server([&](FakeTftpServer& s) {
        EXPECT_EQ(s.ReceiveRequest(), "\x00\x02"
                                      "cfg.bin\x00"
                                      "octet\x00"
                                      "blksize\x00"
                                      "512\x00"s);
        s.Send(BuildAckPacket(0));
        EXPECT_EQ(CollectUpload(s, 512), content);
    });
    EXPECT_EQ(UploadWithLog(server, content),
              (std::vector<std::string>{"begin 1 1024", "work 1 512", "work 1 1024", "end 1"}));
}

TEST(Upload, AgreedBlockSizeAndShortLastBlock) {
    for (const auto& [size, blockSize] : {std::pair{1000u, 512u}, std::pair{1500u, 1024u}}) {
        const std::string content = PatternBytes(size);
        FakeTftpServer server([&, blockSize = blockSize](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(blockSize == 512 ? BuildAckPacket(0) : BlockSizeAck("1024"));
            EXPECT_EQ(CollectUpload(s, blockSize), content);
            s.ExpectSilence(200); // the ACK of the short block ends it
        });
        UploadWithLog(server, content);
    }
}

TEST(Upload, NothingToSendFailsBeforeAnything) {
    FakeTftpServer server([](FakeTftpServer& s) { s.ExpectNoRequest(300); });
    auto client = ClientFor(server);
    WorkLog log;
    log.Attach(*client);
    std::istringstream empty;
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(empty, "x", 3); }), "Filesize=0");
    std::istringstream atEnd("abc");
    atEnd.seekg(0, std::ios::end);
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(atEnd, "x", 3); }), "Filesize=0");
    for (const std::string& path : {::testing::TempDir() + "no/such/file", ::testing::TempDir()}) {
        const std::string message =
            FailureOf<std::system_error>([&] { client->Upload(path, "x", 3); });
        EXPECT_NE(message.find("Cannot open file"), std::string::npos) << message;
    }
    HugeSource huge;
    std::istream hugeStream(&huge);
    EXPECT_THROW(client->Upload(hugeStream, "x", 3), std::out_of_range);
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(client->Active());
}

TEST(Upload, SourceFileIsShutAgainstWritersThatLockIt) {
    const std::string path = ::testing::TempDir() + "tftp_upload_locked.bin";
    std::ofstream(path) << "firmware";
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        EXPECT_FALSE(WriterLock(path).Locked()) << "a writer got in during the upload";
        s.Send(BuildAckPacket(0));
        EXPECT_EQ(CollectUpload(s, 512), "firmware");
    });
    auto client = ClientFor(server);
    client->Upload(path, "fw", 3);
    server.Join();
    const WriterLock writer(path);
    EXPECT_TRUE(writer.Locked()) << "still locked after the upload";
    FakeTftpServer refused([](FakeTftpServer& s) { s.ExpectNoRequest(300); });
    client = ClientFor(refused);
    EXPECT_EQ(FailureOf<std::runtime_error>([&] { client->Upload(path, "fw", 3); }),
              "Cannot open file \"" + path + "\": another program is writing it");
    std::remove(path.c_str());
}

TEST(Upload, SendsFromTheStreamPosition) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildAckPacket(0));
        EXPECT_EQ(CollectUpload(s, 512), "tail");
    });
    auto client = ClientFor(server);
    std::istringstream stream("headtail");
    stream.seekg(4);
    client->Upload(stream, "x", 3);
}

TEST(Upload, SilentServerGetsTheCurrentBlockAgainUntilTheRetriesAreUsedUp) {
    const std::string block3 = BuildDataPacket(3, PatternBytes(512, 3));
    // {retries, copies of DATA 3 the device gets}
    for (const auto& [retries, copies] : {std::pair{3, 3}, std::pair{1, 1}}) {
        MemoryPeer device([](const std::string& packet) -> std::vector<std::string> {
            const std::uint16_t block = PacketOpcode(packet) == TFTP_DATA ? PacketWord(packet) : 0;
            return block < 3 ? std::vector{BuildAckPacket(block)} : std::vector<std::string>{};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        std::istringstream stream(PatternBytes(512, 1) + PatternBytes(512, 2) +
                                  PatternBytes(512, 3) + "x");
        EXPECT_EQ(FailureOf<EIdTFTPException>(
                      [&, retries = retries] { client.Upload(stream, "x", retries); }),
                  "Timeout");
        EXPECT_EQ(std::count(device.sent.begin(), device.sent.end(), block3), copies);
        EXPECT_EQ(device.sent.back(), block3) << "nothing after the last copy";
        EXPECT_EQ(device.silentSlices, retries);
    }
}

TEST(Upload, NoReplyToTheRequestFailsAtTheFirstTimeout) {
    MemoryPeer device([](const std::string&) { return std::vector<std::string>{}; });
    TIdTrivialFTP client;
    device.Attach(client);
    std::istringstream stream("data");
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Upload(stream, "x", 3); }), "Timeout");
    EXPECT_EQ(device.sent.size(), 1u) << "the request is never sent again";
    EXPECT_EQ(device.silentSlices, 1);
}

TEST(Upload, AfterTheLastBlockSilenceOrAShortPacketMeansDone) {
    // A device that starts installing firmware may never acknowledge the last block. After a
    // silent wait the block goes out once more, for a device that lost it; a second silence ends
    // the upload.
    for (const std::string& afterLast : {""s, "\x00\x04"s}) {
        MemoryPeer device([&](const std::string& packet) {
            if (PacketOpcode(packet) == TFTP_WRQ) {
                return std::vector{BuildAckPacket(0)};
            }
            return afterLast.empty() ? std::vector<std::string>{} : std::vector{afterLast};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        std::istringstream stream("firmware");
        client.Upload(stream, "cfg.bin", 3);
        const std::string last = BuildDataPacket(1, "firmware");
        std::vector<std::string> expected{WriteRequest("cfg.bin"), last};
        if (afterLast.empty()) {
            expected.push_back(last);
        }
        EXPECT_EQ(device.sent, expected);
        EXPECT_EQ(device.silentSlices, afterLast.empty() ? 2 : 0);
    }
}

TEST(Upload, LastBlockIsSentAgainAtOnceUntilItsOwnAckArrives) {
    // A device that lost the last block repeats its ACK for the block before; the third repeat
    // gives up. The long reply time-out shows that every copy goes out at once: a client that
    // waited for the time-out would have had silent slices.
    const std::string content = PatternBytes(600);
    const std::string first = BuildDataPacket(1, content.substr(0, 512));
    const std::string last = BuildDataPacket(2, content.substr(512));
    const std::string message =
        "Block 2 was sent 3 times, but the device keeps acknowledging block 1";
    for (const int repeats : {2, 3}) {
        int copies = 0;
        MemoryPeer device([&](const std::string& packet) -> std::vector<std::string> {
            if (packet == last) {
                return {BuildAckPacket(++copies <= repeats ? 1 : 2)};
            }
            return {BuildAckPacket(packet == first ? 1 : 0)};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        client.ReceiveTimeout = 8000;
        WorkLog log;
        log.Attach(client);
        std::istringstream stream(content);
        std::vector<std::string> expected{WriteRequest("x"), first, last, last, last};
        if (repeats < 3) {
            client.Upload(stream, "x", 3);
        } else {
            EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Upload(stream, "x", 3); }), message);
            expected.push_back(BuildErrorPacket(ERR_UNDEFINED, message));
        }
        EXPECT_EQ(device.sent, expected);
        EXPECT_EQ(device.silentSlices, 0);
        EXPECT_EQ(log.events,
                  (std::vector<std::string>{"begin 1 600", "work 1 512", "work 1 600", "end 1"}));
    }
}

TEST(Upload, AckForABlockNeverSentFailsAndTellsTheDevice) {
    // {last block sent, block acknowledged}: the first reply, or the reply to DATA 1.
    for (const auto& [lastSent, acked] : {std::pair{0, 1}, std::pair{1, 3}}) {
        const std::string message = "The device acknowledged block " + std::to_string(acked) +
                                    ", but the last block sent was " + std::to_string(lastSent);
        MemoryPeer device([&, lastSent = lastSent, acked = acked](const std::string& packet) {
            const bool request = PacketOpcode(packet) == TFTP_WRQ;
            return std::vector{
                BuildAckPacket(static_cast<std::uint16_t>(lastSent == 1 && request ? 0 : acked))};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        std::istringstream stream(PatternBytes(2000));
        EXPECT_EQ(FailureOf<EIdTFTPIllegalOperation>([&] { client.Upload(stream, "x", 3); }),
                  message);
        ASSERT_EQ(device.sent.size(), static_cast<std::size_t>(lastSent + 2));
        EXPECT_EQ(device.sent.back(), BuildErrorPacket(ERR_ILLEGAL_OPERATION, message));
    }
}

TEST(Upload, ShortPacketBeforeTheLastBlockFails) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send("\x00\x04\x00"s);
    });
    auto client = ClientFor(server);
    std::istringstream stream("data");
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(stream, "x", 3); }),
              "Timeout (only 3 char(s))");
}

TEST(Upload, OlderAcksAndOtherPacketsBringTheCurrentBlockAgain) {
    const std::string content = PatternBytes(1600);
    const std::string block3 = BuildDataPacket(3, content.substr(1024, 512));
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildAckPacket(0));
        EXPECT_EQ(CollectUpload(s, 512, 1, 2), content.substr(0, 1024));
        s.Expect(block3);
        for (const std::string& reply : {BuildAckPacket(2), BuildDataPacket(9, "x")}) {
            s.Send(reply);
            s.Expect(block3);
        }
        s.Send(BuildAckPacket(3));
        EXPECT_EQ(CollectUpload(s, 512, 4), content.substr(1536));
    });
    UploadWithLog(server, content);
}

TEST(Upload, DeviceThatAnswersAnythingButTheAckIsGivenUpAfterTheRetries) {
    // Every reply that is not the awaited ACK counts like a silent reply wait.
    for (const auto& [other, named] :
         {std::pair{BlockSizeAck("512"), "an option acknowledgement (OACK)"s},
          std::pair{BuildDataPacket(9, "x"), "DATA block 9"s},
          std::pair{"\x00\x09\x00\x01"s, "a packet of unknown opcode 9"s}}) {
        MemoryPeer device([&, other = other](const std::string& packet) {
            return PacketOpcode(packet) == TFTP_ERROR ? std::vector<std::string>{}
                                                      : std::vector{other};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        std::istringstream stream("data");
        const std::string message = "Block 1 was sent 3 times, but the device answers with " +
                                    named + " instead of acknowledging it";
        EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Upload(stream, "x", 3); }), message);
        const std::string block1 = BuildDataPacket(1, "data");
        EXPECT_EQ(device.sent,
                  (std::vector<std::string>{WriteRequest("x"), block1, block1, block1,
                                            BuildErrorPacket(ERR_UNDEFINED, message)}));
    }
}

TEST(Upload, BlockNumbersWrapAfter65535) {
    const std::string content = PatternBytes(65536 * 8 + 3, 5);
    std::string received;
    std::uint16_t due = 1; // the block the device waits for
    int copiesOfZero = 0;
    MemoryPeer device([&](const std::string& packet) -> std::vector<std::string> {
        if (PacketOpcode(packet) == TFTP_WRQ) {
            return {BlockSizeAck("8")};
        }
        const std::uint16_t block = PacketWord(packet);
        if (block == due) {
            received += DataPayload(packet);
            ++due;
        }
        // Late copies of earlier ACKs bring block 0 again; they must not skip its data.
        if (block == 0 && ++copiesOfZero <= 2) {
            return {BuildAckPacket(copiesOfZero == 1 ? 65535 : 65534)};
        }
        return {BuildAckPacket(block)};
    });
    TIdTrivialFTP client;
    device.Attach(client);
    std::istringstream stream(content);
    client.Upload(stream, "cfg.bin", 3);
    EXPECT_EQ(received, content);
    EXPECT_EQ(device.sent.size(), 1u + 65537 + 2) << "the request, every block, two extra copies";
}

TEST(Upload, ErrorReplyAndRefusedBlockSize) {
    FakeTftpServer denied([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildErrorPacket(2, "Access violation"));
    });
    auto client = ClientFor(denied);
    WorkLog log;
    log.Attach(*client);
    std::istringstream stream("data");
    EXPECT_EQ(FailureOf<EIdTFTPAccessViolation>([&] { client->Upload(stream, "x", 3); }),
              "\"Access violation\"");
    EXPECT_EQ(log.events, (std::vector<std::string>{"begin 1 4", "end 1"}));

    FakeTftpServer hostile([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BlockSizeAck("70000"));
        s.ExpectError(ERR_OPTION_NEGOTIATION_FAILED);
    });
    client = ClientFor(hostile);
    stream.seekg(0);
    FailureOf<EIdTFTPOptionNegotiationFailed>([&] { client->Upload(stream, "x", 3); });

    // Another block size after another option: the device would take the first 512-byte block
    // for the short last one and keep a cut-off file.
    FakeTftpServer later([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildOptionAckPacket({{"tsize", "0"}, {"blksize", "1024"}}));
        s.ExpectError(ERR_OPTION_NEGOTIATION_FAILED);
    });
    client = ClientFor(later);
    stream.seekg(0);
    FailureOf<EIdTFTPOptionNegotiationFailed>([&] { client->Upload(stream, "x", 3); });
}
