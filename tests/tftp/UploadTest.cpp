// Uploads against the scripted server: block building, sending again, the end of an upload.
#include "ClientTestSupport.h"
#include "common/WriterLock.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

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
    const std::string content = Pattern(1024);
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
        const std::string content = Pattern(size);
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
    // {retries, DATA 3 copies the server sees}
    for (const auto& [retries, copies] : {std::pair{3, 3}, std::pair{1, 1}}) {
        FakeTftpServer server([&, copies = copies](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BuildAckPacket(0));
            for (std::uint16_t block = 1; block <= 2; ++block) {
                s.Expect(BuildDataPacket(block, Pattern(512, block)));
                s.Send(BuildAckPacket(block));
            }
            for (int copy = 0; copy < copies; ++copy) {
                s.Expect(BuildDataPacket(3, Pattern(512, 3)), 1500);
            }
            s.ExpectSilence(1500);
        });
        auto client = ClientFor(server);
        std::istringstream stream(Pattern(512, 1) + Pattern(512, 2) + Pattern(512, 3) + "x");
        EXPECT_EQ(FailureOf<EIdTFTPException>(
                      [&, retries = retries] { client->Upload(stream, "x", retries); }),
                  "Timeout");
    }
}

TEST(Upload, NoReplyToTheRequestFailsAtTheFirstTimeout) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.ExpectNoRequest(1500); // the request is never sent again
    });
    auto client = ClientFor(server);
    std::istringstream stream("data");
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(stream, "x", 3); }), "Timeout");
}

TEST(Upload, AfterTheLastBlockSilenceOrAShortPacketMeansDone) {
    // A device that starts installing firmware may never acknowledge the last block.
    for (const std::string& afterLast : {""s, "\x00\x04"s}) {
        FakeTftpServer server([&](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BuildAckPacket(0));
            s.Expect(BuildDataPacket(1, "firmware"));
            if (!afterLast.empty()) {
                s.Send(afterLast);
            }
        });
        UploadWithLog(server, "firmware");
    }
}

TEST(Upload, LastBlockIsSentAgainAtOnceUntilItsOwnAckArrives) {
    // A device that lost the last block repeats its ACK for the block before; the third repeat
    // gives up. The long reply time-out shows that every copy goes out at once: a client that
    // waited for the time-out would report empty slices.
    const std::string content = Pattern(600);
    const std::string last = BuildDataPacket(2, content.substr(512));
    const std::string message =
        "Block 2 was sent 3 times, but the device keeps acknowledging block 1";
    for (const int repeats : {2, 3}) {
        FakeTftpServer server([&](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BuildAckPacket(0));
            EXPECT_EQ(CollectUpload(s, 512, 1, 1), content.substr(0, 512));
            s.Expect(last);
            for (int copy = 1; copy <= repeats; ++copy) {
                s.Send(BuildAckPacket(1));
                s.Expect(copy < 3 ? last : BuildErrorPacket(ERR_UNDEFINED, message));
            }
            if (repeats < 3) {
                s.Send(BuildAckPacket(2));
            }
            s.ExpectSilence(300);
        });
        auto client = ClientFor(server);
        client->ReceiveTimeout = 8000;
        WorkLog log;
        log.Attach(*client);
        std::istringstream stream(content);
        if (repeats < 3) {
            client->Upload(stream, "x", 3);
        } else {
            EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client->Upload(stream, "x", 3); }),
                      message);
        }
        EXPECT_EQ(log.events,
                  (std::vector<std::string>{"begin 1 600", "work 1 512", "work 1 600", "end 1"}));
    }
}

TEST(Upload, AckForABlockNeverSentFailsAndTellsTheDevice) {
    // {last block sent, block acknowledged}: the first reply, or the reply to DATA 1.
    for (const auto& [lastSent, acked] : {std::pair{0, 1}, std::pair{1, 3}}) {
        const std::string message = "The device acknowledged block " + std::to_string(acked) +
                                    ", but the last block sent was " + std::to_string(lastSent);
        FakeTftpServer server([&, lastSent = lastSent, acked = acked](FakeTftpServer& s) {
            s.ReceiveRequest();
            if (lastSent == 1) {
                s.Send(BuildAckPacket(0));
                s.Expect(BuildDataPacket(1, Pattern(2000).substr(0, 512)));
            }
            s.Send(BuildAckPacket(static_cast<std::uint16_t>(acked)));
            s.Expect(BuildErrorPacket(ERR_ILLEGAL_OPERATION, message));
            s.ExpectSilence(300);
        });
        auto client = ClientFor(server);
        std::istringstream stream(Pattern(2000));
        EXPECT_EQ(FailureOf<EIdTFTPIllegalOperation>([&] { client->Upload(stream, "x", 3); }),
                  message);
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
    const std::string content = Pattern(1600);
    const std::string block3 = BuildDataPacket(3, content.substr(1024, 512));
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildAckPacket(0));
        EXPECT_EQ(CollectUpload(s, 512, 1, 2), content.substr(0, 1024));
        s.Expect(block3);
        for (const std::string& reply :
             {BuildAckPacket(2), BuildDataPacket(9, "x"), ReadRequest("f"), BlockSizeAck("512")}) {
            s.Send(reply);
            s.Expect(block3);
        }
        s.Send(BuildAckPacket(3));
        EXPECT_EQ(CollectUpload(s, 512, 4), content.substr(1536));
    });
    UploadWithLog(server, content);
}

TEST(Upload, BlockNumbersWrapAfter65535) {
    const std::string content = Pattern(65536 * 8 + 3, 5);
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BlockSizeAck("8"));
        std::string received = CollectUpload(s, 8, 1, 65535); // DATA 1 to 65535
        ASSERT_EQ(received.size(), 65535u * 8);
        const std::string block0 = BuildDataPacket(0, content.substr(65535 * 8, 8));
        s.Expect(block0);
        // Late copies of earlier ACKs bring block 0 again; they must not skip its data.
        for (const std::uint16_t old : {65535, 65534}) {
            s.Send(BuildAckPacket(old));
            s.Expect(block0);
        }
        s.Send(BuildAckPacket(0));
        received += DataPayload(block0);
        received += CollectUpload(s, 8, 1);
        EXPECT_EQ(received, content);
    });
    UploadWithLog(server, content);
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
        const std::optional<std::string> error = s.Receive();
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(PacketWord(*error), ERR_OPTION_NEGOTIATION_FAILED);
    });
    client = ClientFor(hostile);
    stream.seekg(0);
    FailureOf<EIdTFTPOptionNegotiationFailed>([&] { client->Upload(stream, "x", 3); });
}
