// The port object's own rules, driven through a scripted device: what it asks of the system
// when opening, closing, sending and receiving, and how it cuts the incoming bytes into packets.
#include "ScriptedSerialDevice.h"
#include "serial/zivud232.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class PortObject : public testing::Test {
protected:
    void SetUp() override {
        // The scripted device is told the platform's name for the port; keep it the default one.
        for (const char* name : {"QUORVEL_COM3", "QUORVEL_COM4", "QUORVEL_COM12"})
            ::unsetenv(name);
    }

    // Opens COM3 and forgets the calls of the open, so a test sees only what follows.
    void OpenQuietly() {
        ASSERT_TRUE(Port.OpenPort(3, 115200, 'n'));
        Journal->calls.clear();
    }

    std::string Receive(std::int32_t maxLength, std::int32_t first, std::int32_t gap) {
        std::string data = "stale";
        Port.ReceivePacket(maxLength, first, gap, data);
        return data;
    }

    std::shared_ptr<DeviceJournal> Journal = std::make_shared<DeviceJournal>();
    TPivotobject Port{std::make_unique<ScriptedSerialDevice>(Journal)};
};

TEST_F(PortObject, OpenConfiguresRaisesLinesAndForcesTheReadTimeout) {
    EXPECT_TRUE(Port.OpenPort(3, 115200, 'n'));
    EXPECT_THAT(Journal->calls, ElementsAre("open " + ComDeviceName(3), "configure 115200 n",
                                            "lines RTS=1 DTR=1", "timeouts 0"));
    EXPECT_EQ(Port.PortNumber(), 3);
    EXPECT_EQ(Port.BaudRate(), 115200);
    EXPECT_TRUE(Port.RtsOn());
    EXPECT_TRUE(Port.DtrOn());
    // No interval limit, no read multiplier, 1 ms per byte written.
    EXPECT_EQ(Journal->lastTimeouts.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(Journal->lastTimeouts.readMultiplier, 0u);
    EXPECT_EQ(Journal->lastTimeouts.writeMultiplier, 1u);
    EXPECT_EQ(Journal->lastTimeouts.writeConstant, 0u);
}

TEST_F(PortObject, NumbersBelowOneFailWithoutTouchingTheSystem) {
    EXPECT_FALSE(Port.OpenPort(0, 115200, 'n'));
    EXPECT_FALSE(Port.OpenPort(-1, 115200, 'n'));
    EXPECT_THAT(Journal->calls, IsEmpty());
    EXPECT_EQ(Port.PortNumber(), 0);
}

TEST_F(PortObject, HighPortNumbersUseThePlatformName) {
    EXPECT_TRUE(Port.OpenPort(12, 115200, 'n'));
    EXPECT_THAT(Journal->callsOf("open"), ElementsAre("open " + ComDeviceName(12)));
}

TEST_F(PortObject, BaudRatesBelow300MeanTheDefaultRate) {
    for (const std::int32_t baud : {110, 0, -5, 299}) {
        EXPECT_TRUE(Port.OpenPort(3, baud, 'n'));
        EXPECT_EQ(Port.BaudRate(), 9600) << baud;
    }
    EXPECT_TRUE(Port.OpenPort(3, 300, 'n'));
    EXPECT_EQ(Port.BaudRate(), 300);
}

TEST_F(PortObject, OnlyEvenAndOddParityLettersAreKept) {
    const std::pair<char, char> cases[] = {{'e', 'e'}, {'E', 'E'}, {'o', 'o'},  {'O', 'O'},
                                           {'n', 'n'}, {'x', 'n'}, {'\0', 'n'}, {'m', 'n'}};
    for (const auto& [given, used] : cases) {
        Journal->calls.clear();
        ASSERT_TRUE(Port.OpenPort(3, 115200, given));
        EXPECT_THAT(Journal->callsOf("configure"),
                    ElementsAre(std::string("configure 115200 ") + used))
            << static_cast<int>(given);
    }
}

TEST_F(PortObject, ReopeningClosesTheOldPortFirst) {
    OpenQuietly();
    EXPECT_TRUE(Port.OpenPort(4, 9600, 'n'));
    ASSERT_GE(Journal->calls.size(), 3u);
    EXPECT_EQ(Journal->calls[0], "lines RTS=0 DTR=0");
    EXPECT_EQ(Journal->calls[1], "close");
    EXPECT_EQ(Journal->calls[2], "open " + ComDeviceName(4));
    EXPECT_EQ(Port.PortNumber(), 4);
}

TEST_F(PortObject, AFailedReopenLeavesThePortClosed) {
    OpenQuietly();
    Journal->openSucceeds = false;
    EXPECT_FALSE(Port.OpenPort(4, 115200, 'n'));
    EXPECT_THAT(Journal->calls,
                ElementsAre("lines RTS=0 DTR=0", "close", "open " + ComDeviceName(4)));
    EXPECT_EQ(Port.PortNumber(), 0);
    EXPECT_EQ(Port.BaudRate(), 0);
}

TEST_F(PortObject, AFailureWhileConfiguringIsSwallowedAndThePortStaysOpen) {
    Journal->configureThrows = true;
    EXPECT_TRUE(Port.OpenPort(3, 115200, 'n'));
    EXPECT_EQ(Port.PortNumber(), 3);
    Port.ClosePort();
    EXPECT_EQ(Journal->calls.back(), "close");
}

TEST_F(PortObject, ClosingDropsTheLinesBeforeReleasingThePort) {
    OpenQuietly();
    Port.ClosePort();
    EXPECT_THAT(Journal->calls, ElementsAre("lines RTS=0 DTR=0", "close"));
    EXPECT_EQ(Port.PortNumber(), 0);
    EXPECT_EQ(Port.BaudRate(), 0);
    EXPECT_FALSE(Port.RtsOn());
    EXPECT_FALSE(Port.DtrOn());
    Port.ClosePort();
    EXPECT_EQ(Journal->calls.size(), 2u) << "closing a closed port touches nothing";
}

TEST(PortObjectLifetime, DestroyingTheObjectClosesThePort) {
    auto journal = std::make_shared<DeviceJournal>();
    {
        TPivotobject port{std::make_unique<ScriptedSerialDevice>(journal)};
        ASSERT_TRUE(port.OpenPort(3, 115200, 'n'));
    }
    EXPECT_EQ(journal->calls.back(), "close");
}

TEST_F(PortObject, AClosedObjectNeitherSendsNorReads) {
    Journal->line = "waiting";
    Port.SendPacket("abc");
    EXPECT_EQ(Receive(10, 1000, 50), "");
    EXPECT_THAT(Journal->calls, IsEmpty());
    EXPECT_EQ(Journal->waiting(), 7u);

    OpenQuietly();
    Port.ClosePort();
    Journal->calls.clear();
    Port.SendPacket("abc");
    EXPECT_EQ(Receive(10, 1000, 50), "");
    EXPECT_THAT(Journal->calls, IsEmpty());
}

TEST_F(PortObject, SendWritesAllBytesUnchangedInOneCall) {
    OpenQuietly();
    const std::string packet("\0\3\0\1data\r\n\xff\0", 12);
    Port.SendPacket(packet);
    EXPECT_THAT(Journal->calls, ElementsAre("write 12"));
    EXPECT_EQ(Journal->written, packet);
}

TEST_F(PortObject, ReadTimeoutsAreOneLessAndToldOnlyWhenTheyChange) {
    OpenQuietly();
    Receive(10, 1, 50);   // 1 stays 1
    Receive(10, 2, 50);   // 2 becomes 1: unchanged
    Receive(10, 100, 50); // 99
    Receive(10, 100, 50); // unchanged
    Receive(10, 0, 50);   // 0
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 1", "timeouts 99", "timeouts 0"));
}

TEST_F(PortObject, ANegativeTimeoutMeansNoWaitRatherThanAnEndlessOne) {
    OpenQuietly();
    Receive(10, 100, 50);
    Receive(10, -5, 50);
    EXPECT_THAT(Journal->callsOf("timeouts"), ElementsAre("timeouts 99", "timeouts 0"));
}

TEST_F(PortObject, OpeningAlwaysTellsTheNewPortItsTimeout) {
    // The cache still holds 0 from the first port; the new port must be told all the same.
    OpenQuietly();
    Port.ClosePort();
    Journal->calls.clear();
    ASSERT_TRUE(Port.OpenPort(3, 115200, 'n'));
    EXPECT_THAT(Journal->callsOf("timeouts"), ElementsAre("timeouts 0"));
}

TEST_F(PortObject, TheGapTimeoutTakesOverOnceAfterTheFirstByte) {
    OpenQuietly();
    Journal->line = "hello";
    EXPECT_EQ(Receive(516, 1000, 50), "hello");
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 999", "timeouts 49"));
}

TEST_F(PortObject, ANegativeGapKeepsTheFirstByteTimeout) {
    OpenQuietly();
    Journal->line = "hello";
    EXPECT_EQ(Receive(516, 1000, -1), "hello");
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 999"));
}

TEST_F(PortObject, AReceiveStopsAfterMaxLengthPlusOneAndLeavesTheRest) {
    OpenQuietly();
    Journal->line = std::string(1500, 'x');
    EXPECT_EQ(Receive(999, 1000, 50).size(), 1000u);
    EXPECT_EQ(Journal->waiting(), 500u);
    EXPECT_EQ(Receive(999, 1000, 50).size(), 500u);
}

TEST_F(PortObject, AMaxLengthBelowOneMeansAHundredThousandBytes) {
    OpenQuietly();
    for (const std::int32_t maxLength : {0, -1}) {
        Journal->line = std::string(100500, 'y');
        Journal->lineStart = 0;
        EXPECT_EQ(Receive(maxLength, 1000, 50).size(), 100000u) << maxLength;
    }
}

TEST_F(PortObject, NothingOnTheLineGivesEmptyData) {
    OpenQuietly();
    EXPECT_EQ(Receive(516, 1000, 50), "");
    // No byte came, so the gap time-out was never needed.
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 999"));
}

TEST_F(PortObject, ReceivedBytesKeepEveryValue) {
    OpenQuietly();
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    Journal->line = all;
    EXPECT_EQ(Receive(516, 1000, 50), all);
}

} // namespace
