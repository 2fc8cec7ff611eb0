// The port object on a real terminal line (a pseudo-terminal), with the test as the device on the
// other end. Time bounds are loose on purpose; they only tell "waited" from "did not".
#include "serial/zivud232.h"
#include "support/PathText.h"
#include "tests/serial/PtyPair_posix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr int Com = 7;

class PtyPort : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n')); }
    // Receives and measures how long the receive took.
    std::string Receive(std::int32_t maxLength, std::int32_t first, std::int32_t gap) {
        std::string data;
        const auto start = SteadyClock::now();
        Port.ReceivePacket(maxLength, first, gap, data);
        Took = SteadyClock::now() - start;
        return data;
    }

    PtyPair Line{Com};
    TPivotobject Port;
    SteadyClock::duration Took{};
};

TEST_F(PtyPort, OpenSetsTheLineAndReopensAtAnotherRate) {
    termios line = Line.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO), 0u);
    // Reopening through the same object works: it lets go of the port first.
    ASSERT_TRUE(Port.OpenPort(Com, 110, 'n'));
    line = Line.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
}

TEST_F(PtyPort, APortIsUsedByOneObjectAtATime) {
    TPivotobject other;
    EXPECT_FALSE(other.OpenPort(Com, 115200, 'n'));
    Port.ClosePort();
    EXPECT_TRUE(other.OpenPort(Com, 115200, 'n'));
}

TEST(PtyPortOpen, MissingDevicesAndNonTerminalsDoNotOpen) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("quorvel-not-a-port-" + std::to_string(::getpid()));
    std::ofstream(file) << "plain file";
    TPivotobject port;
    for (const std::string& device : {std::string("/nonexistent/quorvel-tty"), PathText(file)}) {
        ::setenv("QUORVEL_COM8", device.c_str(), 1);
        EXPECT_FALSE(port.OpenPort(8, 115200, 'n')) << device;
    }
    ::unsetenv("QUORVEL_COM8");
    std::filesystem::remove(file);
}

TEST_F(PtyPort, EveryByteValueCrossesUnchangedBothWays) {
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    Port.SendPacket(all + all);
    EXPECT_EQ(Line.Received(2 * all.size()), all + all);
    Line.Send(all);
    EXPECT_EQ(Receive(516, 1000, 100), all);
    // A packet far larger than the driver's queue still goes out whole.
    const std::string big(20000, '\0');
    std::string arrived;
    std::thread device([&] { arrived = Line.Received(big.size(), 5s); });
    Port.SendPacket(big);
    device.join();
    EXPECT_EQ(arrived, big);
}

TEST_F(PtyPort, SilenceEndsAPacket) {
    Line.Send("hello");
    EXPECT_EQ(Receive(516, 1000, 200), "hello");
    EXPECT_GE(Took, 150ms) << "the gap time-out of silence tells the packet has ended";
    EXPECT_LT(Took, 900ms);
    EXPECT_EQ(Receive(516, 300, 50), "");
    EXPECT_GE(Took, 250ms) << "no answer: the first-byte time-out";
    EXPECT_LT(Took, 2s);
}

TEST_F(PtyPort, APauseSplitsPacketsAndAShortOneDoesNot) {
    std::thread device([&] {
        Line.Send("AB");
        std::this_thread::sleep_for(30ms); // well inside the gap: same packet
        Line.Send("CD");
        std::this_thread::sleep_for(700ms); // well beyond it: next packet
        Line.Send("EF");
    });
    const std::string first = Receive(516, 1000, 300);
    const std::string second = Receive(516, 2000, 300);
    device.join();
    EXPECT_EQ(first, "ABCD");
    EXPECT_EQ(second, "EF");
}

TEST_F(PtyPort, BytesBeyondTheLimitStayForTheNextReceive) {
    Line.Send("ABCDEFG");
    EXPECT_EQ(Receive(3, 1000, 3000), "ABCD");
    EXPECT_LT(Took, 2s) << "a full packet ends the receive without waiting for the gap";
    Port.SendPacket("x"); // sending purges nothing
    EXPECT_EQ(Receive(516, 1000, 100), "EFG");
}

TEST_F(PtyPort, AHungUpLineReadsAsSilenceWithoutSpinning) {
    Line.HangUp();
    EXPECT_EQ(Receive(516, 300, 50), "");
    EXPECT_GE(Took, 250ms);
    EXPECT_LT(Took, 2s);
    Port.SendPacket("nobody listens"); // must neither hang nor fail loudly
}

} // namespace
