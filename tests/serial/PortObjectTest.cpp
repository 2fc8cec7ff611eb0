// The port object's own rules, driven through a scripted device: what it asks of the system
// when opening and closing, the read time-out cache, and where a receive stops.
#include "serial/zivud232.h"
#include "tests/kit/ScriptedSerialDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class PortObject : public testing::Test {
protected:
    void SetUp() override {
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

TEST_F(PortObject, OpenConfiguresRaisesLinesAndTellsTheReadTimeout) {
    for (int round = 0; round < 2; ++round) { // the second port must be told its time-out too
        Journal->calls.clear();
        EXPECT_TRUE(Port.OpenPort(3, 115200, 'n'));
        EXPECT_THAT(
            Journal->calls,
            testing::IsSupersetOf({"open " + ComDeviceName(3), std::string("configure 115200 n"),
                                   std::string("lines RTS=1 DTR=1"), std::string("timeouts 0")}));
    }
    EXPECT_EQ(Port.PortNumber(), 3);
    EXPECT_EQ(Port.BaudRate(), 115200);
    EXPECT_TRUE(Port.RtsOn() && Port.DtrOn());
    const SerialTimeouts& told = Journal->lastTimeouts;
    EXPECT_EQ(told.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(told.readMultiplier + told.writeConstant, 0u);
    EXPECT_EQ(told.writeMultiplier, 1u);
}

TEST_F(PortObject, PortNumbers) {
    EXPECT_FALSE(Port.OpenPort(0, 115200, 'n'));
    EXPECT_FALSE(Port.OpenPort(-1, 115200, 'n'));
    EXPECT_THAT(Journal->calls, IsEmpty()) << "numbers below 1 must not reach the system";
    EXPECT_TRUE(Port.OpenPort(12, 115200, 'n'));
    EXPECT_EQ(Journal->callsOf("open").at(0), "open " + ComDeviceName(12));
}

TEST_F(PortObject, BaudRatesAndParityLetters) {
    for (const std::int32_t baud : {110, 0, -5, 299}) {
        EXPECT_TRUE(Port.OpenPort(3, baud, 'n'));
        EXPECT_EQ(Port.BaudRate(), 9600) << baud;
    }
    const std::pair<char, char> letters[] = {{'e', 'e'}, {'E', 'E'}, {'o', 'o'}, {'O', 'O'},
                                             {'n', 'n'}, {'x', 'n'}, {'\0', 'n'}};
    for (const auto& [given, used] : letters) {
        Journal->calls.clear();
        ASSERT_TRUE(Port.OpenPort(3, 300, given));
        EXPECT_EQ(Journal->callsOf("configure").at(0), std::string("configure 300 ") + used);
    }
}

TEST_F(PortObject, ReopeningClosesTheOldPortFirstEvenWhenTheNewOpenFails) {
    OpenQuietly();
    Journal->openSucceeds = false;
    EXPECT_FALSE(Port.OpenPort(4, 115200, 'n'));
    EXPECT_THAT(Journal->calls,
                ElementsAre("lines RTS=0 DTR=0", "close", "open " + ComDeviceName(4)));
    EXPECT_EQ(Port.PortNumber(), 0);
    EXPECT_EQ(Port.BaudRate(), 0);
}

TEST_F(PortObject, ClosingDropsTheLinesThenReleasesThePortOnce) {
    OpenQuietly();
    Port.ClosePort();
    Port.ClosePort();
    EXPECT_THAT(Journal->calls, ElementsAre("lines RTS=0 DTR=0", "close"));
    EXPECT_FALSE(Port.RtsOn() || Port.DtrOn());

    auto journal = std::make_shared<DeviceJournal>();
    {
        TPivotobject port{std::make_unique<ScriptedSerialDevice>(journal)};
        ASSERT_TRUE(port.OpenPort(3, 115200, 'n'));
    }
    EXPECT_EQ(journal->calls.back(), "close") << "freeing the object closes the port";
}

TEST_F(PortObject, AClosedObjectNeitherSendsNorReads) {
    Journal->line = "waiting";
    Port.SendPacket("abc");
    EXPECT_EQ(Receive(10, 1000, 50), "");
    EXPECT_THAT(Journal->calls, IsEmpty());
    EXPECT_EQ(Journal->waiting(), 7u);
}

TEST_F(PortObject, ReadTimeoutsAreOneLessAndToldOnlyWhenTheyChange) {
    OpenQuietly();
    for (const std::int32_t first : {1, 2, 100, 100, 0, 100, -5})
        Receive(10, first, 50);
    // 1 stays 1, 2 becomes 1 (unchanged), 100 becomes 99, a negative one means no wait.
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 1", "timeouts 99", "timeouts 0",
                                            "timeouts 99", "timeouts 0"));
}

TEST_F(PortObject, TheGapTimeoutTakesOverOnceAfterTheFirstByte) {
    OpenQuietly();
    Journal->line = "hello";
    EXPECT_EQ(Receive(516, 1000, 50), "hello");
    Journal->line += "again";
    EXPECT_EQ(Receive(516, 1000, -1), "again"); // a negative gap keeps the first time-out
    EXPECT_THAT(Journal->calls, ElementsAre("timeouts 999", "timeouts 49", "timeouts 999"));
}

TEST_F(PortObject, AReceiveStopsAfterMaxLengthPlusOneAndLeavesTheRest) {
    OpenQuietly();
    Journal->line = std::string(1500, 'x');
    EXPECT_EQ(Receive(999, 1000, 50).size(), 1000u);
    EXPECT_EQ(Receive(999, 1000, 50).size(), 500u);
    for (const std::int32_t unlimited : {0, -1}) {
        Journal->line = std::string(100500, 'y');
        Journal->lineStart = 0;
        EXPECT_EQ(Receive(unlimited, 1000, 50).size(), 100000u) << unlimited;
    }
}

TEST_F(PortObject, AWholePacketEndsAtOnceUnlessAByteIsAlreadyBehindIt) {
    OpenQuietly();
    const auto fourBytes = [](std::string_view received) { return received.size() == 4; };
    std::string data;
    for (const std::string behind : {"", "xy"}) {
        Journal->calls.clear();
        Journal->line = "ack!" + behind;
        Journal->lineStart = 0;
        Port.ReceivePacket(516, 1000, 10, data, fourBytes);
        EXPECT_EQ(data, "ack!" + behind);
        // The first byte, the gap, a look that does not wait; bytes behind bring the gap back.
        const std::vector<std::string> told =
            behind.empty() ? std::vector<std::string>{"timeouts 999", "timeouts 9", "timeouts 0"}
                           : std::vector<std::string>{"timeouts 999", "timeouts 9", "timeouts 0",
                                                      "timeouts 9"};
        EXPECT_EQ(Journal->calls, told) << behind;
    }
    // At the limit, the one byte behind is the last one read.
    Journal->line = std::string(10, 'z');
    Journal->lineStart = 0;
    Port.ReceivePacket(8, 1000, 10, data,
                       [](std::string_view received) { return received.size() == 8; });
    EXPECT_EQ(data.size(), 9u);
}

} // namespace
