// The simulator's ordinary protocol behaviour, observed from a raw UDP socket: block sizes,
// fresh ports, re-sending, duplicates, wrap-around (on the session alone), several transfers at
// once.
#include "sim/SimSession.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

TEST(SimRead, OutOfRangeBlockSizeIsIgnoredNotAgreed) {
    SimHarness sim;
    sim.folder.Write("f.bin", PatternBytes(600));
    for (const int size : {0, 7, 65465}) {
        RawPeer peer(sim.Port());
        peer.SendReadRequest("f.bin", size);
        const TIdDatagram answer = peer.Expect();
        EXPECT_EQ(OpcodeOf(answer), TFTP_DATA) << size;
        EXPECT_EQ(DataPayload(answer.Data).size(), 512u) << size;
    }
}

TEST(SimRead, EachTransferIsAnsweredFromAFreshPort) {
    SimHarness sim;
    sim.folder.Write("f.bin", "x");
    RawPeer first(sim.Port());
    RawPeer second(sim.Port());
    first.SendReadRequest("f.bin", std::nullopt);
    second.SendReadRequest("f.bin", std::nullopt);
    const TIdDatagram a = first.Expect();
    const TIdDatagram b = second.Expect();
    EXPECT_NE(a.From.Port, sim.Port());
    EXPECT_NE(b.From.Port, sim.Port());
    EXPECT_NE(a.From.Port, b.From.Port);
}

TEST(SimRead, UnacknowledgedBlockIsSentAgainThenGivenUp) {
    SimHarness sim({}, 100, 2);
    sim.folder.Write("f.bin", PatternBytes(700));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    const TIdDatagram original = peer.Expect();
    EXPECT_EQ(peer.Expect().Data, original.Data);
    EXPECT_EQ(peer.Expect().Data, original.Data);
    EXPECT_FALSE(peer.Receive(400)) << "only two retries were allowed";
    EXPECT_TRUE(sim.log.WaitFor("gave up"));
}

TEST(SimRead, StaleAckDoesNotTriggerASecondCopy) {
    SimHarness sim({}, 1000, 1);
    sim.folder.Write("f.bin", PatternBytes(1500));
    RawPeer peer(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    peer.Expect();
    peer.Reply(BuildAckPacket(1));
    EXPECT_EQ(WordOf(peer.Expect()), 2);
    peer.Reply(BuildAckPacket(1)); // late duplicate
    EXPECT_FALSE(peer.Receive(300));
}

TEST(SimRead, PacketFromAnotherPortGetsUnknownTransferIdAndTheTransferGoesOn) {
    SimHarness sim;
    sim.folder.Write("f.bin", PatternBytes(600));
    RawPeer peer(sim.Port());
    RawPeer intruder(sim.Port());
    peer.SendReadRequest("f.bin", std::nullopt);
    const TIdDatagram first = peer.Expect();
    intruder.SendTo(BuildAckPacket(1), first.From);
    const TIdDatagram refusal = intruder.Expect();
    EXPECT_EQ(OpcodeOf(refusal), TFTP_ERROR);
    EXPECT_EQ(WordOf(refusal), ERR_UNKNOWN_TRANSFER_ID);
    peer.Reply(BuildAckPacket(1));
    EXPECT_EQ(DataPayload(peer.Expect().Data).size(), 88u);
}

TEST(SimRead, BlockNumbersWrapFrom65535ToZero) {
    // The transfer's session alone, without sockets: 65539 round trips take milliseconds.
    TempFolder folder;
    const std::size_t blocks = 65536 + 3;
    folder.Write("big.bin", PatternBytes(blocks * 8 + 5));
    const SimFolder device(folder.Path());
    const SimFaults faults;
    const auto session = CreateSession(
        DecodeRequest(BuildRequestPacket(TFTP_RRQ, "big.bin", "octet", {{"blksize", "8"}})), device,
        faults, 1);
    ASSERT_EQ(PacketOpcode(session->Start().at(0)), TFTP_OACK);
    Packets answer = session->OnPacket(BuildAckPacket(0));
    std::vector<std::uint16_t> around;
    for (std::size_t index = 1; index <= blocks + 1; ++index) {
        ASSERT_EQ(answer.size(), 1u) << "block " << index;
        ASSERT_EQ(PacketOpcode(answer[0]), TFTP_DATA) << "block " << index;
        const std::uint16_t block = PacketWord(answer[0]);
        if (index >= 65534 && index <= 65538) {
            around.push_back(block);
        }
        answer = session->OnPacket(BuildAckPacket(block));
    }
    EXPECT_EQ(around, (std::vector<std::uint16_t>{65534, 65535, 0, 1, 2}));
    EXPECT_TRUE(session->HasEnded());
}

TEST(SimWrite, RepeatedBlockIsAcknowledgedAgainButStoredOnce) {
    SimHarness sim;
    RawPeer peer(sim.Port());
    peer.SendWriteRequest("up.bin", 8);
    ASSERT_EQ(OpcodeOf(peer.Expect()), TFTP_OACK);
    peer.Reply(BuildDataPacket(1, "12345678"));
    EXPECT_EQ(peer.Expect().Data, BuildAckPacket(1));
    peer.Reply(BuildDataPacket(1, "12345678"));
    EXPECT_EQ(peer.Expect().Data, BuildAckPacket(1));
    peer.Reply(BuildDataPacket(2, "9"));
    EXPECT_EQ(peer.Expect().Data, BuildAckPacket(2));
    EXPECT_TRUE(sim.log.WaitFor("received 9 bytes"));
    EXPECT_EQ(sim.folder.Read("up.bin"), "123456789");
}

TEST(SimWrite, InterruptedUploadLeavesNoFileAndKeepsTheOldOne) {
    SimHarness sim({}, 50, 1);
    sim.folder.Write("cfg.bin", "old");
    RawPeer peer(sim.Port());
    peer.SendWriteRequest("cfg.bin", std::nullopt);
    peer.Expect();
    peer.Reply(BuildDataPacket(1, PatternBytes(512)));
    peer.Expect();
    EXPECT_TRUE(sim.log.WaitFor("gave up"));
    EXPECT_EQ(sim.folder.Names(), std::vector<std::string>{"cfg.bin"});
    EXPECT_EQ(sim.folder.Read("cfg.bin"), "old");
}

TEST(SimWrite, BlockLargerThanAgreedIsRefused) {
    SimHarness sim;
    RawPeer peer(sim.Port());
    peer.SendWriteRequest("up.bin", std::nullopt);
    peer.Expect();
    peer.Reply(BuildDataPacket(1, PatternBytes(600)));
    const TIdDatagram answer = peer.Expect();
    EXPECT_EQ(OpcodeOf(answer), TFTP_ERROR);
    EXPECT_EQ(WordOf(answer), ERR_ILLEGAL_OPERATION);
    EXPECT_TRUE(sim.log.WaitFor("failed"));
    EXPECT_TRUE(sim.folder.Names().empty());
}

TEST(SimWrite, ClientErrorEndsTheUploadWithoutAFile) {
    SimHarness sim;
    RawPeer peer(sim.Port());
    peer.SendWriteRequest("up.bin", std::nullopt);
    peer.Expect();
    peer.Reply(BuildDataPacket(1, PatternBytes(512)));
    peer.Expect();
    peer.Reply(BuildErrorPacket(0, "Disk error"));
    EXPECT_TRUE(sim.log.WaitFor("ended by the client's ERROR 0"));
    EXPECT_TRUE(sim.folder.Names().empty());
}

TEST(SimTransfers, InterleavedReadAndWriteDoNotDisturbEachOther) {
    SimHarness sim;
    sim.folder.Write("a.bin", PatternBytes(1500));
    RawPeer reader(sim.Port());
    RawPeer writer(sim.Port());
    reader.SendReadRequest("a.bin", std::nullopt);
    writer.SendWriteRequest("b.bin", std::nullopt);
    writer.Expect();
    std::string received;
    for (std::uint16_t block = 1; block <= 3; ++block) {
        const TIdDatagram data = reader.Expect();
        received.append(DataPayload(data.Data));
        writer.Reply(BuildDataPacket(block, block < 3 ? PatternBytes(512) : "end"));
        writer.Expect();
        reader.Reply(BuildAckPacket(WordOf(data)));
    }
    EXPECT_EQ(received, PatternBytes(1500));
    EXPECT_TRUE(sim.log.WaitFor("received 1027 bytes"));
}
