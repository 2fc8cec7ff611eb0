// Downloads against the scripted server: block order, option agreement, refusals, failures.
#include "tests/kit/FileSizeLimit.h"
#include "tests/kit/MemoryPeer.h"
#include "tests/tftp/ClientTestSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

using namespace std::string_literals;

TEST(Download, TwoFullBlocksThenAnEmptyOne) {
    const std::string content = PatternBytes(1024);
    FakeTftpServer server([&](FakeTftpServer& s) {
        EXPECT_EQ(s.ReceiveRequest(), "\x00\x01"
                                      "plog.zel\x00"
                                      "octet\x00"
                                      "blksize\x00"
                                      "512\x00"s);
        ServeBlocks(s, content, 512);
        s.ExpectNoRequest(0); // every packet after the request went to the transfer port
    });
    auto client = ClientFor(server);
    WorkLog log;
    log.Attach(*client);
    std::stringstream stream("head", std::ios::in | std::ios::out | std::ios::ate);
    client->Download("plog.zel", stream);
    server.Join();
    EXPECT_EQ(stream.str(), "head" + content); // written from the stream's position on
    EXPECT_EQ(log.events, (std::vector<std::string>{"begin 0 0", "work 0 512", "work 0 1024",
                                                    "work 0 1024", "end 0"}));
    EXPECT_EQ(client->BufferSize(), 516);
    EXPECT_FALSE(client->Active());
}

TEST(Download, ShortLastBlockEmptyFileAndNetascii) {
    for (const std::size_t size : {1000u, 0u}) {
        const std::string content = PatternBytes(size, 3) + (size ? "\r\n" : "");
        FakeTftpServer server([&](FakeTftpServer& s) {
            EXPECT_EQ(s.ReceiveRequest(), ReadRequest("Report.TXT", "netascii"));
            ServeBlocks(s, content, 512);
        });
        auto client = ClientFor(server);
        client->TransferMode = tfNetAscii;
        std::ostringstream stream;
        client->Download("Report.TXT", stream);
        EXPECT_EQ(stream.str(), content); // stored unchanged whatever the mode
    }
}

TEST(Download, OptionAckSetsTheFullBlockSize) {
    for (const char* name : {"blksize", "BLKSIZE"}) {
        const std::string content = PatternBytes(2047);
        FakeTftpServer server([&](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BlockSizeAck("1024", name));
            s.Expect(BuildAckPacket(0));
            ServeBlocks(s, content, 1024); // 1024 is a full block, 1023 ends it
        });
        auto client = ClientFor(server);
        std::ostringstream stream;
        client->Download("f", stream);
        EXPECT_EQ(stream.str(), content);
        EXPECT_EQ(client->BufferSize(), 1028);
    }
}

TEST(Download, BlockSizeAfterAnotherOptionIsNotAdoptedAndRefusedWhenItDiffers) {
    // Not adopted, the device's 1024-byte blocks would not fit, and its 8-byte ones would end
    // the file after the first: the answer is refused before any data is stored.
    for (const std::string value : {"1024", "8"}) {
        FakeTftpServer server([&](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BuildOptionAckPacket({{"tsize", "2000"}, {"blksize", value}}));
            s.ExpectError(ERR_OPTION_NEGOTIATION_FAILED);
        });
        auto client = ClientFor(server);
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPOptionNegotiationFailed>([&] { client->Download("f", stream); }),
                  "The server's block size \"" + value +
                      "\" follows another option and is not used; the blocks stay at 512 bytes");
        EXPECT_EQ(stream.str(), "");
    }
    // The same size as in force changes nothing.
    const std::string content = PatternBytes(1000);
    FakeTftpServer server([&](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildOptionAckPacket({{"tsize", "1000"}, {"blksize", "512"}}));
        s.Expect(BuildAckPacket(0));
        ServeBlocks(s, content, 512);
    });
    auto client = ClientFor(server);
    std::ostringstream stream;
    client->Download("f", stream);
    EXPECT_EQ(stream.str(), content);
}

TEST(Download, BlockSizesOutsideTheProtocolAreRefused) {
    for (const std::string& value : {"7"s, "65465"s, "0"s, "abc"s, ""s, "4294967304"s}) {
        FakeTftpServer server([&](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(value.empty() ? "\x00\x06"
                                   "blksize\x00"s
                                 : BlockSizeAck(value));
            s.ExpectError(ERR_OPTION_NEGOTIATION_FAILED);
        });
        auto client = ClientFor(server);
        std::ostringstream stream;
        const std::string message =
            FailureOf<EIdTFTPOptionNegotiationFailed>([&] { client->Download("f", stream); });
        EXPECT_NE(message.find("\"" + value + "\""), std::string::npos) << message;
        EXPECT_EQ(client->BufferSize(), 516);
    }
    for (const auto& [value, bufferSize] : {std::pair{"8", 12}, std::pair{"65464", 65468}}) {
        FakeTftpServer server([&, value = value](FakeTftpServer& s) {
            s.ReceiveRequest();
            s.Send(BlockSizeAck(value));
            s.Expect(BuildAckPacket(0));
            ServeBlocks(s, "tiny", 8);
        });
        auto client = ClientFor(server);
        std::ostringstream stream;
        client->Download("f", stream);
        EXPECT_EQ(client->BufferSize(), bufferSize);
    }
}

TEST(Download, RepeatedBlocksAreAcknowledgedAgainButStoredOnce) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        for (const std::uint16_t block : std::initializer_list<std::uint16_t>{1, 2, 2, 1}) {
            s.Send(BuildDataPacket(block, PatternBytes(512, block)));
            s.Expect(BuildAckPacket(block));
        }
        s.Send(BuildDataPacket(3, "end"));
        s.Expect(BuildAckPacket(3));
    });
    auto client = ClientFor(server);
    std::ostringstream stream;
    client->Download("f", stream);
    EXPECT_EQ(stream.str(), PatternBytes(512, 1) + PatternBytes(512, 2) + "end");
}

TEST(Download, MissingBlocksEndTheDownloadAndTellTheServer) {
    // {blocks sent, expected block named in the message}
    for (const auto& [blocks, expected] : {std::pair{std::vector<std::uint16_t>{1, 3}, 2},
                                           std::pair{std::vector<std::uint16_t>{2}, 1}}) {
        FakeTftpServer server([&, blocks = blocks](FakeTftpServer& s) {
            s.ReceiveRequest();
            for (const std::uint16_t block : blocks) {
                s.Send(BuildDataPacket(block, PatternBytes(512)));
                if (block != blocks.back()) {
                    s.Expect(BuildAckPacket(block));
                }
            }
            const std::optional<std::string> error = s.Receive();
            ASSERT_TRUE(error.has_value());
            EXPECT_EQ(PacketWord(*error), ERR_ILLEGAL_OPERATION);
        });
        auto client = ClientFor(server);
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPIllegalOperation>([&] { client->Download("f", stream); }),
                  "Data block " + std::to_string(blocks.back()) + " arrived while block " +
                      std::to_string(expected) + " was expected: data is missing");
        EXPECT_EQ(stream.str().size(), 512 * (blocks.size() - 1));
    }
}

TEST(Download, BlockNumbersWrapAfter65535) {
    // A server may go on with 0 or with 1 after block 65535.
    const std::string firstRound = PatternBytes(65535 * 8, 1);
    for (const std::uint16_t first : std::initializer_list<std::uint16_t>{0, 1}) {
        // What the device sends, each in answer to the client's packet before: the request, then
        // the ACK of the packet before it.
        std::vector<std::string> packets{BlockSizeAck("8")};
        std::vector<std::string> expected{ReadRequest("f"), BuildAckPacket(0)};
        for (std::uint16_t block = 1; block != 0; ++block) {
            packets.push_back(BuildDataPacket(block, firstRound.substr((block - 1) * 8u, 8)));
            expected.push_back(BuildAckPacket(block));
        }
        // 2 right after 65535 is an old block; so is 65535 after the new round has begun.
        for (const auto& [block, data] : {std::pair<std::uint16_t, std::string>{2, "old-two!"},
                                          {first, "wrap-new"},
                                          {65535, "old-last"},
                                          {first + 1, "next-new"},
                                          {first + 2, "end"}}) {
            packets.push_back(BuildDataPacket(block, data));
            expected.push_back(BuildAckPacket(block));
        }
        std::size_t next = 0;
        MemoryPeer device([&](const std::string&) {
            return next < packets.size() ? std::vector{packets[next++]}
                                         : std::vector<std::string>{};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        std::ostringstream stream;
        client.Download("f", stream);
        EXPECT_EQ(stream.str(), firstRound + "wrap-new" + "next-new" + "end");
        EXPECT_TRUE(device.sent == expected) << "every block acknowledged once, in order";
    }
}

TEST(Download, UnexpectedShortSilentAndErrorReplies) {
    struct Case {
        std::string reply; // empty: no reply at all
        std::string message;
    };
    for (const Case& c : {Case{BuildAckPacket(1), "Unexpected operation from device:69"},
                          Case{"\x00\x03"s, "Timeout (only 2 char(s))"}, Case{"", "Timeout"},
                          Case{BuildErrorPacket(0, "Disk error"), "\"Disk error\"(code=0)"}}) {
        MemoryPeer device([&](const std::string&) {
            return c.reply.empty() ? std::vector<std::string>{} : std::vector{c.reply};
        });
        TIdTrivialFTP client;
        device.Attach(client);
        WorkLog log;
        log.Attach(client);
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Download("f", stream); }), c.message);
        EXPECT_EQ(log.events.back(), "end 0");
        EXPECT_EQ(device.sent.size(), 1u) << "nothing is ever sent after the request";
    }
}

TEST(Download, ErrorReplyRaisesTheClassOfItsCode) {
    FakeTftpServer server([](FakeTftpServer& s) {
        s.ReceiveRequest();
        s.Send(BuildErrorPacket(1, "File not found"));
    });
    auto client = ClientFor(server);
    std::ostringstream stream;
    EXPECT_EQ(FailureOf<EIdTFTPFileNotFound>([&] { client->Download("f", stream); }),
              "\"File not found\"");
}

TEST(Download, LocalFileIsCreatedFirstAndKeptAfterAFailure) {
    const std::string path = ::testing::TempDir() + "tftp_download_kept.bin";
    {
        std::ofstream old(path);
        old << "old content";
    }
    MemoryPeer device([](const std::string&) { return std::vector<std::string>{}; });
    TIdTrivialFTP client;
    device.Attach(client);
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Download("f", path); }), "Timeout");
    std::ifstream kept(path);
    EXPECT_TRUE(kept.is_open());
    EXPECT_EQ(kept.peek(), EOF); // emptied before the request went out
    std::remove(path.c_str());
}

TEST(Download, LocalFileThatCannotBeCreatedStopsBeforeAnything) {
    MemoryPeer device([](const std::string&) { return std::vector<std::string>{}; });
    TIdTrivialFTP client;
    device.Attach(client);
    WorkLog log;
    log.Attach(client);
    const std::string message = FailureOf<std::system_error>(
        [&] { client.Download("f", ::testing::TempDir() + "no/such/folder/f"); });
    EXPECT_NE(message.find("Cannot create file"), std::string::npos) << message;
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(device.sent.empty());
}

namespace {

// Accepts limit bytes, then fails every write, like a full disk.
class FullDisk : public std::streambuf {
public:
    explicit FullDisk(std::size_t limit) : Room(limit) {}
    std::size_t Stored = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        const auto taken = std::min<std::size_t>(static_cast<std::size_t>(count), Room - Stored);
        Stored += taken;
        return static_cast<std::streamsize>(taken);
    }

private:
    std::size_t Room;
};

} // namespace

TEST(Download, StoreFailureIsReportedToTheDeviceWithItsCode) {
    // Blocks are written out 64 KiB at a time: a full disk shows at the block that fills such a
    // piece (a full block, already acknowledged), or at the last block, whose ACK is then never
    // sent. A failure of the progress handler keeps its own code.
    struct Case {
        std::size_t blocks; // of 512 bytes; the last one has 200
        std::size_t room;   // what the disk takes
        bool handlerFails;  // above 6 blocks
        std::size_t acks;   // ACKs sent before the ERROR
        std::uint16_t code;
        std::string text;
    };
    const Case cases[] = {
        {7, 6 * 512 + 100, false, 6, ERR_UNDEFINED, "Writing the received data failed"},
        {7, 1 << 20, true, 6, ERR_ALLOCATION_EXCEEDED, "Disk full"},
        {200, 1000, false, 129, ERR_UNDEFINED, "Writing the received data failed"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> blocks(c.blocks, PatternBytes(512));
        blocks.back() = PatternBytes(200);
        MemoryPeer device = BlockDevice(blocks);
        TIdTrivialFTP client;
        device.Attach(client);
        if (c.handlerFails) {
            client.OnWork = [](TIdComponent*, TWorkMode, std::int64_t total) {
                if (total > 6 * 512) {
                    throw EIdTFTPAllocationExceeded("Disk full");
                }
            };
        }
        FullDisk disk(c.room);
        std::ostream stream(&disk);
        EXPECT_THROW(client.Download("f", stream), std::exception);
        ASSERT_EQ(device.sent.size(), c.acks + 2) << c.blocks;
        EXPECT_EQ(device.sent[c.acks], BuildAckPacket(static_cast<std::uint16_t>(c.acks)));
        const std::string& error = device.sent.back();
        EXPECT_EQ(PacketOpcode(error), TFTP_ERROR);
        EXPECT_EQ(PacketWord(error), c.code);
        EXPECT_EQ(ErrorText(error), c.text);
        EXPECT_EQ(disk.Stored, std::min<std::size_t>(c.room, 6 * 512 + 200)) << c.blocks;
    }
}

TEST(Download, BlocksStoredBeforeAFailureReachTheStream) {
    MemoryPeer device = BlockDevice(std::vector<std::string>(3, PatternBytes(512)));
    TIdTrivialFTP client;
    device.Attach(client);
    std::ostringstream stream;
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { client.Download("f", stream); }), "Timeout");
    EXPECT_EQ(stream.str(), PatternBytes(512) + PatternBytes(512) + PatternBytes(512));
}

TEST(Download, FileWhoseFinalFlushFailsIsNeverAcknowledgedAsComplete) {
    // The blocks wait in memory and in the file's buffer; the disk "fills up" only when the last
    // block pushes them out. The device then gets an ERROR in place of the last ACK, which would
    // have told it that the file had arrived.
    const FileSizeLimit limit(1000);
    if (!limit.Active()) {
        GTEST_SKIP() << "no limit on the size of written files here";
    }
    const std::string path = ::testing::TempDir() + "tftp_download_flush.bin";
    MemoryPeer device = BlockDevice({PatternBytes(512), PatternBytes(512), PatternBytes(176)});
    TIdTrivialFTP client;
    device.Attach(client);
    EXPECT_THROW(client.Download("f", path), std::runtime_error);
    ASSERT_EQ(device.sent.size(), 4u);
    EXPECT_EQ(device.sent[2], BuildAckPacket(2));
    EXPECT_EQ(PacketOpcode(device.sent[3]), TFTP_ERROR);
    EXPECT_EQ(ErrorText(device.sent[3]).rfind("Writing the received data failed", 0), 0u);
    std::remove(path.c_str());
}
