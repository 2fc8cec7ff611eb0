// Transfers on the serial line, through a port object whose device answers from a script: the
// same packets, no addresses, nothing sent again after a time-out.
#include "tests/tftp/ClientTestSupport.h"

#include "serial/zivud232.h"
#include "tests/kit/ScriptedSerialDevice.h"
#include "tftp/IdSerialTransport.h"

#include <deque>
#include <sstream>

using namespace std::string_literals;

namespace {

// A line on which every write may be answered by bursts of bytes; a pause follows each burst.
class ScriptedLine : public SerialDevice {
public:
    using Answer = std::function<std::vector<std::string>(const std::string& written)>;

    bool Opens = true;
    Answer Reply = [](const std::string&) { return std::vector<std::string>{}; };
    std::vector<std::string> Written;

    bool open(const std::string&) override { return Opens; }
    void configure(std::int32_t, char) override {}
    void setLines(bool, bool) override {}
    void setTimeouts(const SerialTimeouts&) override {}
    std::size_t read(char* buffer, std::size_t) override {
        if (Burst.empty()) {
            if (Bursts.empty() || Pause) {
                Pause = false;
                return 0;
            }
            Burst = Bursts.front();
            Bursts.pop_front();
        }
        buffer[0] = Burst.front();
        Burst.erase(0, 1);
        Pause = Burst.empty();
        return 1;
    }
    void write(const std::string& data) override {
        Written.push_back(data);
        for (const std::string& burst : Reply(data)) {
            Bursts.push_back(burst);
        }
    }
    void close() override {}

private:
    std::deque<std::string> Bursts;
    std::string Burst;
    bool Pause = false;
};

struct SerialClient {
    TIdTrivialFTP client;
    ScriptedLine* line;

    SerialClient() {
        auto device = std::make_unique<ScriptedLine>();
        line = device.get();
        client.SetSerialLink(std::make_unique<TPivotobject>(std::move(device)));
        client.Port = 3;
        client.ReceiveTimeout = 1000;
        client.RequestedBlockSize = 512;
    }
};

} // namespace

TEST(Serial, PortThatCannotBeOpened) {
    SerialClient serial;
    serial.line->Opens = false;
    WorkLog log;
    log.Attach(serial.client);
    std::ostringstream stream;
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { serial.client.Download("f", stream); }),
              "Unable to open RS232 port COM3");
    EXPECT_EQ(log.events, (std::vector<std::string>{"begin 0 0", "end 0"}));
    EXPECT_TRUE(serial.client.UseSerial());
}

TEST(Serial, DownloadWritesEveryPacketToTheLine) {
    SerialClient serial;
    const std::string block1 = PatternBytes(512);
    serial.line->Reply = [&](const std::string& written) -> std::vector<std::string> {
        if (written == ReadRequest("plog.zel")) {
            return {BuildDataPacket(1, block1)};
        }
        if (written == BuildAckPacket(1)) {
            return {BuildDataPacket(2, "end")};
        }
        return {};
    };
    std::ostringstream stream;
    serial.client.Download("plog.zel", stream);
    EXPECT_EQ(stream.str(), block1 + "end");
    EXPECT_EQ(
        serial.line->Written,
        (std::vector<std::string>{ReadRequest("plog.zel"), BuildAckPacket(1), BuildAckPacket(2)}));
    EXPECT_EQ(serial.client.SerialLink()->PortNumber(), 0) << "closed after the transfer";
}

TEST(Serial, UploadIsNeverRepeatedAfterATimeout) {
    SerialClient serial;
    serial.line->Reply = [](const std::string& written) -> std::vector<std::string> {
        if (PacketOpcode(written) == TFTP_WRQ) {
            return {BuildAckPacket(0)};
        }
        return {}; // the device falls silent after DATA 1
    };
    std::istringstream stream(PatternBytes(600));
    EXPECT_EQ(FailureOf<EIdTFTPException>([&] { serial.client.Upload(stream, "x", 3); }),
              "Timeout");
    EXPECT_EQ(serial.line->Written.size(), 2u); // the request and DATA 1, once

    // Silence after the last block ends the upload, without a copy of the block.
    std::istringstream last("cfg");
    serial.client.Upload(last, "x", 3);
    EXPECT_EQ(serial.line->Written.size(), 4u) << "the request and DATA 1, once";
}

TEST(Serial, LostLastBlockIsWrittenAgain) {
    SerialClient serial;
    int copies = 0;
    serial.line->Reply = [&](const std::string& written) -> std::vector<std::string> {
        if (PacketOpcode(written) == TFTP_WRQ) {
            return {BuildAckPacket(0)};
        }
        return {BuildAckPacket(++copies == 1 ? 0 : 1)}; // the first DATA 1 is lost
    };
    std::istringstream stream("cfg");
    serial.client.Upload(stream, "x", 3);
    const std::string last = BuildDataPacket(1, "cfg");
    EXPECT_EQ(serial.line->Written, (std::vector<std::string>{WriteRequest("x"), last, last}));
}

TEST(Serial, OverlongAndUnexpectedPackets) {
    // Two packets without a pause between them arrive as one overlong run of bytes.
    for (const auto& [reply, message] :
         {std::pair{BuildDataPacket(1, PatternBytes(512)) + BuildDataPacket(2, "x"),
                    "Received a packet of 517 bytes, more than the receive limit of 516 bytes"s},
          std::pair{BuildAckPacket(0), "Unexpected operation from :3"s}}) {
        SerialClient serial;
        serial.line->Reply = [&, reply = reply](const std::string& written) {
            return PacketOpcode(written) == TFTP_RRQ ? std::vector<std::string>{reply}
                                                     : std::vector<std::string>{};
        };
        std::ostringstream stream;
        EXPECT_EQ(FailureOf<EIdTFTPException>([&] { serial.client.Download("f", stream); }),
                  message);
        EXPECT_EQ(stream.str(), "");
    }
}

TEST(Serial, PacketCutInTwoByAPauseIsNeverStoredAsTheLastBlock) {
    SerialClient serial;
    const std::string whole = BuildDataPacket(1, PatternBytes(512));
    serial.line->Reply = [&](const std::string& written) {
        return PacketOpcode(written) == TFTP_RRQ
                   ? std::vector<std::string>{whole.substr(0, 200), whole.substr(200)}
                   : std::vector<std::string>{};
    };
    std::ostringstream stream;
    EXPECT_EQ(FailureOf<EIdTFTPIllegalOperation>([&] { serial.client.Download("f", stream); }),
              "Data block 1 was cut in two by a pause on the line");
    EXPECT_EQ(stream.str(), "");
    EXPECT_EQ(PacketOpcode(serial.line->Written.back()), TFTP_ERROR);
}

TEST(Serial, CopyOfTheLastBlockBehindItProvesItWhole) {
    // The device resent before the wait behind a short block ended; its copy, even one cut short
    // by a pause of its own, shows that the block had ended.
    const std::string last = BuildDataPacket(1, "the end");
    for (const std::string& copy : {last, last.substr(0, 6)}) {
        SerialClient serial;
        serial.line->Reply = [&](const std::string& written) {
            return PacketOpcode(written) == TFTP_RRQ ? std::vector{last, copy}
                                                     : std::vector<std::string>{};
        };
        std::ostringstream stream;
        serial.client.Download("f", stream);
        EXPECT_EQ(stream.str(), "the end");
        EXPECT_EQ(serial.line->Written.back(), BuildAckPacket(1));
    }
}

TEST(Serial, PacketsWholeByTheirLengthAreAnsweredWithoutWaitingOutTheGap) {
    // A full DATA block and an ACK end with a look (time-out 0) for a byte behind them; a block
    // one byte short, which may be the last, ends only after the gap (9 ms here).
    for (const auto& [packet, last] : {std::pair{BuildDataPacket(1, PatternBytes(512)), "0"},
                                       std::pair{BuildDataPacket(1, PatternBytes(511)), "9"},
                                       std::pair{BuildAckPacket(1), "0"}}) {
        auto journal = std::make_shared<DeviceJournal>();
        TPivotobject port(std::make_unique<ScriptedSerialDevice>(journal));
        TIdSerialTransport transport(port, 3, 10);
        journal->line = packet;
        EXPECT_EQ(transport.ReceiveSlice(516), packet);
        EXPECT_EQ(journal->callsOf("timeouts").back(), "timeouts "s + last) << packet.size();
    }
}
