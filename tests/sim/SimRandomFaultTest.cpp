// The simulator's random faults: one seed gives the same disturbances every time, each kind does
// what it says, and packets held back leave in their time.
#include "sim/FaultGate.h"
#include "sim/SimTransfer.h"

#include "tests/kit/Bytes.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> SomePackets() {
    std::vector<std::string> packets;
    for (std::uint16_t block = 1; block <= 200; ++block) {
        packets.push_back(BuildDataPacket(block, PatternBytes(20, block)));
    }
    return packets;
}

SimFaults RandomOnly(unsigned seed, std::set<RandomFault> kinds, unsigned perMillion) {
    SimFaults faults;
    faults.random = RandomFaults{seed, perMillion, std::move(kinds), 300};
    return faults;
}

// What a gate lets out of the packets, as text, notes included.
std::string Passed(const SimFaults& faults, unsigned transfer) {
    FaultGate gate(faults, transfer);
    std::vector<std::string> notes;
    std::string text;
    for (const Delivery& d : gate.Pass(SomePackets(), notes)) {
        text += d.packet + (d.stray ? "S" : "") + std::to_string(d.delayMs) +
                (d.afterNext ? "A" : "") + "|";
    }
    for (const std::string& note : notes) {
        text += note + "\n";
    }
    return text;
}

} // namespace

TEST(SimRandomFaults, OneSeedGivesTheSameDisturbancesAndTransferNDrawsFromSeedPlusNMinus1) {
    const RandomFaults all;
    const std::string first = Passed(RandomOnly(7, all.kinds, 200'000), 1);
    EXPECT_EQ(Passed(RandomOnly(7, all.kinds, 200'000), 1), first);
    EXPECT_NE(Passed(RandomOnly(8, all.kinds, 200'000), 1), first);
    EXPECT_EQ(Passed(RandomOnly(6, all.kinds, 200'000), 2), first);
    EXPECT_EQ(Passed(RandomOnly(7, all.kinds, 0), 1).find("random:"), std::string::npos);
}

TEST(SimRandomFaults, EachKindDoesWhatItSays) {
    const std::string packet = BuildDataPacket(3, "abc");
    const auto only = [&](RandomFault kind) {
        const SimFaults faults = RandomOnly(1, {kind}, 1'000'000);
        FaultGate gate(faults, 1);
        std::vector<std::string> notes;
        const std::vector<Delivery> out = gate.Pass({packet}, notes);
        EXPECT_EQ(notes.size(), 1u);
        return out;
    };
    EXPECT_TRUE(only(RandomFault::Drop).empty());
    const auto twice = only(RandomFault::Duplicate);
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[1].packet, packet);
    const auto reordered = only(RandomFault::Reorder);
    ASSERT_EQ(reordered.size(), 1u);
    EXPECT_TRUE(reordered[0].afterNext);
    const auto delayed = only(RandomFault::Delay);
    ASSERT_EQ(delayed.size(), 1u);
    EXPECT_GE(delayed[0].delayMs, 1u);
    EXPECT_LE(delayed[0].delayMs, 300u);
    const auto noisy = only(RandomFault::Noise);
    ASSERT_EQ(noisy.size(), 2u);
    EXPECT_NE(static_cast<unsigned char>(noisy[0].packet[0]) & 0x80, 0) << "never a TFTP opcode";
    EXPECT_EQ(noisy[1].packet, packet);
    const auto stray = only(RandomFault::Stray);
    ASSERT_EQ(stray.size(), 2u);
    EXPECT_TRUE(stray[1].stray);
}

TEST(SimRandomFaults, HeldBackPacketsLeaveBehindTheNextOneOrWhenTheirTimeHasCome) {
    TempFolder folder;
    folder.Write("f.bin", PatternBytes(100));
    const SimFolder device(folder.Path());
    const TIdTFTPRequest request =
        *CheckRequest(BuildRequestPacket(TFTP_RRQ, "f.bin", "octet", {})).request;
    std::vector<Delivery> sent;
    const SimTransfer::Send send = [&](const Delivery& d) { sent.push_back(d); };

    // Reordered: DATA 1 waits; the stray copy (a switch) goes first and DATA 1 follows it.
    SimOptions reorder;
    reorder.faults = RandomOnly(1, {RandomFault::Reorder}, 1'000'000);
    reorder.faults.garbageBeforePacket = 1;
    reorder.faults.strayAfterPacket = 1;
    reorder.log = [](const std::string&) {};
    SimTransfer reordered(1, CreateSession(request, device, reorder.faults, 0), reorder);
    reordered.Start(send);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_NE(static_cast<unsigned char>(sent[0].packet[0]) & 0x80, 0) << "the noise";
    EXPECT_TRUE(sent[1].stray);
    EXPECT_FALSE(sent[2].stray);
    EXPECT_EQ(sent[2].packet, sent[1].packet);

    // Delayed: nothing leaves at once, and the transfer is not over while DATA 1 waits.
    sent.clear();
    SimOptions delay = reorder;
    delay.faults = RandomOnly(1, {RandomFault::Delay}, 1'000'000);
    delay.faults.random->maxDelayMs = 1;
    SimTransfer delayed(1, CreateSession(request, device, delay.faults, 0), delay);
    delayed.Start(send);
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(delayed.Done());
    delayed.OnTimer(SimTransfer::SteadyClock::now() + std::chrono::seconds(1), send);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].packet, BuildDataPacket(1, PatternBytes(100)));
}
