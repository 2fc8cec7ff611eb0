// Each fault switch of the simulator, observed packet by packet from a raw UDP socket, and
// switches combined.
#include "sim/FaultGate.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

namespace {

// Reads with 512-byte blocks and no option; returns the numbers of the DATA packets seen until
// the short block or until nothing more comes.
std::vector<std::uint16_t> ReadBlockNumbers(RawPeer& peer, int quietMs = 400) {
    std::vector<std::uint16_t> numbers;
    while (auto packet = peer.Receive(quietMs)) {
        if (OpcodeOf(*packet) != TFTP_DATA) {
            break;
        }
        numbers.push_back(WordOf(*packet));
        peer.Reply(BuildAckPacket(WordOf(*packet)));
        if (DataPayload(packet->Data).size() < 512) {
            break;
        }
    }
    return numbers;
}

using Blocks = std::vector<std::uint16_t>;

} // namespace

TEST(SimFaults, IgnoreOptionsAnswersReadWithDataAndWriteWithAck0) {
    SimFaults faults;
    faults.ignoreOptions = true;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(2000));
    RawPeer reader(sim.Port());
    reader.SendReadRequest("f.bin", 1024);
    const TIdDatagram data = reader.Expect();
    EXPECT_EQ(OpcodeOf(data), TFTP_DATA);
    EXPECT_EQ(DataPayload(data.Data).size(), 512u);
    RawPeer writer(sim.Port());
    writer.SendWriteRequest("g.bin", 1024);
    EXPECT_EQ(writer.Expect().Data, BuildAckPacket(0));
}

TEST(SimFaults, DroppedPacketIsMissingAndComesOnlyAsARetransmission) {
    SimFaults faults;
    faults.dropPackets = {2};
    SimHarness without_retries(faults, 100, 0);
    without_retries.folder.Write("f.bin", PatternBytes(1300));
    RawPeer peer(without_retries.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(ReadBlockNumbers(peer), (Blocks{1}));
    EXPECT_TRUE(without_retries.log.WaitFor("dropped packet 2 (DATA 2"));

    // Long enough that an ACK is never late, even on a slow machine: one resend only.
    SimHarness with_retries(faults, 250, 2);
    with_retries.folder.Write("f.bin", PatternBytes(1300));
    RawPeer patient(with_retries.Port());
    patient.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(ReadBlockNumbers(patient), (Blocks{1, 2, 3}));
}

TEST(SimFaults, DuplicatedPacketArrivesTwice) {
    SimFaults faults;
    faults.duplicatePackets = {2};
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(1300));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    peer.Expect();
    peer.Reply(BuildAckPacket(1));
    const TIdDatagram first = peer.Expect();
    const TIdDatagram second = peer.Expect();
    EXPECT_EQ(WordOf(first), 2);
    EXPECT_EQ(first.Data, second.Data);
}

TEST(SimFaults, SilentAfterBlockSendsNothingMoreEvenOnTimeouts) {
    SimFaults faults;
    faults.silentAfterBlock = 2;
    SimHarness sim(faults, 100, 3);
    sim.folder.Write("f.bin", PatternBytes(3000));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(ReadBlockNumbers(peer, 600), (Blocks{1, 2}));
    EXPECT_TRUE(sim.log.WaitFor("gave up"));
}

TEST(SimFaults, ErrorSwitchAnswersTheRequest) {
    SimFaults faults;
    faults.errorCode = 3;
    faults.errorText = "Disk full";
    SimHarness sim(faults);
    sim.folder.Write("f.bin", "abc");
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin");
    EXPECT_EQ(peer.Expect().Data, BuildErrorPacket(3, "Disk full"));
}

TEST(SimFaults, ErrorSwitchAtABlockReplacesThatBlockOrItsAck) {
    SimFaults faults;
    faults.errorCode = 0;
    faults.errorText = "Flash write error";
    faults.errorAtBlock = 2;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(2000));
    RawPeer reader(sim.Port());
    reader.SendReadRequest("f.bin", std::nullopt);
    EXPECT_EQ(WordOf(reader.Expect()), 1);
    reader.Reply(BuildAckPacket(1));
    EXPECT_EQ(reader.Expect().Data, BuildErrorPacket(0, "Flash write error"));

    RawPeer writer(sim.Port());
    writer.SendWriteRequest("up.bin", std::nullopt);
    writer.Expect();
    writer.Reply(BuildDataPacket(1, PatternBytes(512)));
    EXPECT_EQ(writer.Expect().Data, BuildAckPacket(1));
    writer.Reply(BuildDataPacket(2, "x"));
    EXPECT_EQ(writer.Expect().Data, BuildErrorPacket(0, "Flash write error"));
    EXPECT_TRUE(sim.log.WaitFor("failed: ERROR 0"));
    EXPECT_EQ(sim.folder.Names(), std::vector<std::string>{"f.bin"});
}

TEST(SimFaults, OackShapes) {
    SimFaults faults;
    faults.oackExtraOption = true;
    faults.oackUpperCase = true;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(1234));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", 1024);
    const TIdDatagram oack = peer.Expect();
    ASSERT_EQ(OpcodeOf(oack), TFTP_OACK);
    EXPECT_EQ(DecodeOptions(oack.Data, 2),
              (TIdTFTPOptions{{"tsize", "1234"}, {"BLKSIZE", "1024"}}));
}

TEST(SimFaults, AnnouncedBlockSizeIsSentVerbatimAndUsedWhenItCanBe) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"0", 512}, {"7", 7}, {"65465", 65465}, {"70000", 512}, {"abc", 512}, {"", 512}};
    for (const auto& [announced, used] : cases) {
        SimFaults faults;
        faults.oackBlockSize = announced;
        SimHarness sim(faults);
        sim.folder.Write("f.bin", PatternBytes(70000));
        RawPeer peer(sim.Port());
        peer.SendReadRequest("f.bin", 512);
        const TIdDatagram oack = peer.Expect();
        EXPECT_EQ(DecodeOptions(oack.Data, 2), (TIdTFTPOptions{{"blksize", announced}}));
        peer.Reply(BuildAckPacket(0));
        EXPECT_EQ(DataPayload(peer.Expect().Data).size(), used) << "announced " << announced;
    }
}

TEST(SimFaults, StrayCopyComesFromAnotherPort) {
    SimFaults faults;
    faults.strayAfterPacket = 2;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(1300));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    const TIdDatagram first = peer.Expect();
    peer.Reply(BuildAckPacket(1));
    const TIdDatagram second = peer.Expect();
    const TIdDatagram stray = peer.Expect();
    EXPECT_EQ(second.From, first.From);
    EXPECT_NE(stray.From.Port, first.From.Port);
    EXPECT_EQ(stray.Data, second.Data);
    peer.Reply(BuildAckPacket(2)); // goes to the stray port, which only logs it
    EXPECT_TRUE(sim.log.WaitFor("stray port got ACK 2"));
}

TEST(SimFaults, SkippedBlockNumberLosesNoData) {
    SimFaults faults;
    faults.skipBlock = 2;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(1300));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    std::string data;
    std::vector<std::uint16_t> numbers;
    for (int i = 0; i < 3; ++i) {
        const TIdDatagram packet = peer.Expect();
        numbers.push_back(WordOf(packet));
        data.append(DataPayload(packet.Data));
        peer.Reply(BuildAckPacket(WordOf(packet)));
    }
    EXPECT_EQ(numbers, (Blocks{1, 3, 4}));
    EXPECT_EQ(data, PatternBytes(1300));
}

TEST(SimFaults, GarbageIsAPacketOfNoiseThatNeverLooksLikeTftp) {
    for (unsigned seed = 0; seed < 300; ++seed) {
        const std::string noise = NoiseBytes(7, seed);
        ASSERT_EQ(noise.size(), 7u);
        EXPECT_GE(static_cast<unsigned char>(noise[0]), 0x80) << "no opcode starts like this";
        EXPECT_EQ(noise, NoiseBytes(7, seed)) << "the same noise for the same packet";
    }
    SimFaults faults;
    faults.garbageBeforePacket = 2;
    faults.garbageBytes = 5;
    SimHarness sim(faults);
    sim.folder.Write("f.bin", PatternBytes(700));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    peer.Reply(BuildAckPacket(WordOf(peer.Expect())));
    EXPECT_EQ(peer.Expect().Data, NoiseBytes(5, 2));
    EXPECT_EQ(WordOf(peer.Expect()), 2) << "the packet itself follows the noise";
}

TEST(SimFaults, SwitchesCombine) {
    SimFaults faults;
    faults.oackUpperCase = true;
    faults.duplicatePackets = {2};
    faults.dropPackets = {3};
    SimHarness sim(faults, 100, 2);
    sim.folder.Write("f.bin", PatternBytes(1100));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", 512);
    const TIdDatagram oack = peer.Expect();
    EXPECT_EQ(DecodeOptions(oack.Data, 2), (TIdTFTPOptions{{"BLKSIZE", "512"}}));
    peer.Reply(BuildAckPacket(0));
    // Packet 2 is DATA 1 (twice), packet 3 is DATA 2 (dropped, then re-sent as packet 4).
    EXPECT_EQ(WordOf(peer.Expect()), 1);
    EXPECT_EQ(WordOf(peer.Expect()), 1);
    peer.Reply(BuildAckPacket(1));
    EXPECT_EQ(ReadBlockNumbers(peer), (Blocks{2, 3}));
}
