// The simulator facing hostile or broken requests: it refuses names that leave its folder and
// answers malformed packets without falling over.
#include "sim/PacketText.h"
#include "support/PathText.h"
#include "tests/sim/SimTestKit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// After any abuse the simulator must still serve an ordinary read.
void ExpectStillServing(SimHarness& sim) {
    sim.folder.Write("probe.bin", "still alive");
    RawPeer peer(sim.Port());
    peer.SendReadRequest("probe.bin", std::nullopt);
    EXPECT_EQ(peer.ReadToEnd(), "still alive");
}

} // namespace

TEST(SimSafety, NamesLeavingTheFolderGetAccessViolation) {
    SimHarness sim;
    TempFolder outside;
    outside.Write("victim.txt", "keep me");
    const std::string escape = "../" + PathText(outside.Path().filename()) + "/victim.txt";
    for (const std::string& name : std::vector<std::string>{
             escape, std::string(".."), PathText(outside.Path() / "victim.txt"),
             std::string("sub/x"), std::string("sub\\x"), std::string("C:x")}) {
        for (const bool write : {false, true}) {
            RawPeer peer(sim.Port());
            write ? peer.SendWriteRequest(name) : peer.SendReadRequest(name);
            const TIdDatagram answer = peer.Expect();
            EXPECT_EQ(OpcodeOf(answer), TFTP_ERROR) << name;
            EXPECT_EQ(WordOf(answer), ERR_ACCESS_VIOLATION) << name;
        }
    }
    EXPECT_EQ(outside.Read("victim.txt"), "keep me");
    EXPECT_TRUE(sim.folder.Names().empty());
}

TEST(SimSafety, MalformedRequestsGetIllegalOperation) {
    SimHarness sim;
    const std::string rrq = EncodeWord(TFTP_RRQ);
    const std::vector<std::string> malformed = {
        std::string(),                                    // empty datagram
        std::string(1, '\0'),                             // 1 byte
        rrq,                                              // opcode only
        rrq + "x",                                        // 3 bytes
        rrq + "name-without-end",                         // no NUL after the name
        rrq + std::string("name\0octet", 10),             // no NUL after the mode
        rrq + std::string("name\0mail\0", 10),            // a mode the device does not speak
        EncodeWord(7) + std::string("name\0octet\0", 11), // unknown opcode
        EncodeWord(0) + "xx",                             // opcode 0
        BuildDataPacket(1, "data at the request port"),
        BuildAckPacket(0),
        BuildOptionAckPacket({{"blksize", "512"}}),
        rrq + std::string(60000, 'A'), // huge, never terminated
    };
    for (const std::string& packet : malformed) {
        RawPeer peer(sim.Port());
        peer.SendRequest(packet);
        const TIdDatagram answer = peer.Expect();
        EXPECT_EQ(OpcodeOf(answer), TFTP_ERROR) << DescribePacket(packet);
        EXPECT_EQ(WordOf(answer), ERR_ILLEGAL_OPERATION) << DescribePacket(packet);
        EXPECT_EQ(answer.Data.back(), '\0') << "ERROR text must end in a zero byte";
    }
    ExpectStillServing(sim);
}

TEST(SimSafety, HugeTerminatedNameIsRefusedAsAName) {
    SimHarness sim;
    RawPeer peer(sim.Port());
    peer.SendReadRequest(std::string(60000, 'n'));
    EXPECT_EQ(WordOf(peer.Expect()), ERR_ACCESS_VIOLATION);
    ExpectStillServing(sim);
}

TEST(SimSafety, ErrorPacketAtTheRequestPortIsNotAnswered) {
    SimHarness sim;
    RawPeer peer(sim.Port());
    peer.SendRequest(BuildErrorPacket(0, "hello"));
    EXPECT_FALSE(peer.Receive(300));
    ExpectStillServing(sim);
}

TEST(SimSafety, GarbageInsideATransferEndsOnlyThatTransfer) {
    SimHarness sim;
    sim.folder.Write("f.bin", PatternBytes(2000));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(OpcodeOf(peer.Expect()), TFTP_DATA);
    peer.Reply(BuildRequestPacket(TFTP_WRQ, "f.bin", "octet", {}));
    const TIdDatagram answer = peer.Expect();
    EXPECT_EQ(OpcodeOf(answer), TFTP_ERROR);
    EXPECT_EQ(WordOf(answer), ERR_ILLEGAL_OPERATION);
    ExpectStillServing(sim);
}

TEST(SimSafety, ShortPacketsInsideATransferAreIgnored) {
    SimHarness sim;
    sim.folder.Write("f.bin", "abc");
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(OpcodeOf(peer.Expect()), TFTP_DATA);
    peer.Reply(std::string("\0\4", 2));
    peer.Reply(BuildAckPacket(1));
    EXPECT_TRUE(sim.log.WaitFor("sent 3 bytes in 1 blocks"));
}

TEST(SimSafety, AnAddressThatCannotBeBoundStopsTheServerNamingTheCause) {
    using testing::HasSubstr;
    using testing::StartsWith;
    using testing::ThrowsMessage;
    TempFolder folder;
    const UdpSocket taken("127.0.0.1", 0);
    SimOptions options;
    options.folder = PathText(folder.Path());
    options.port = taken.Local().Port;
    // quorvel-sim adds its hint about privileged ports to the messages that start like this.
    EXPECT_THAT([&] { SimServer server(options); },
                ThrowsMessage<std::runtime_error>(StartsWith("bind failed")));
    options.port = 0;
    options.bindAddress = "localhost";
    EXPECT_THAT([&] { SimServer server(options); }, ThrowsMessage<std::runtime_error>(HasSubstr(
                                                        "\"localhost\" is not an IPv4 address")));
}
