// The port object on a real terminal line (a pseudo-terminal), with the test as the device on the
// other end: opening and its line settings, exclusive use, byte transparency, and packets told
// apart by silence. Time bounds are loose on purpose; they only tell "waited" from "did not".
#include "PtyPair.h"
#include "serial/zivud232.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int Com = 7;

std::string AllByteValues() {
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    return all;
}

class PtyPort : public testing::Test {
protected:
    // Receives and measures how long the receive took.
    std::string Receive(std::int32_t maxLength, std::int32_t first, std::int32_t gap) {
        std::string data;
        const auto start = Clock::now();
        Port.ReceivePacket(maxLength, first, gap, data);
        Took = Clock::now() - start;
        return data;
    }

    PtyPair Line{Com};
    TPivotobject Port;
    Clock::duration Took{};
};

TEST_F(PtyPort, OpenSetsARawEightBitLineWithoutFlowControl) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    const termios line = Line.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(line.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    // Modem lines do not exist on a pseudo-terminal; the port is open all the same.
    EXPECT_TRUE(Port.RtsOn());
    EXPECT_TRUE(Port.DtrOn());
}

TEST_F(PtyPort, ABaudRateBelow300OpensAt9600) {
    ASSERT_TRUE(Port.OpenPort(Com, 110, 'n'));
    const termios line = Line.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
}

TEST_F(PtyPort, APortIsUsedByOneObjectAtATime) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    {
        TPivotobject other;
        EXPECT_FALSE(other.OpenPort(Com, 115200, 'n'));
        EXPECT_EQ(other.PortNumber(), 0);
    }
    // Reopening the same port through the same object works: it lets go of the port first.
    EXPECT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    Port.ClosePort();
    {
        TPivotobject other;
        EXPECT_TRUE(other.OpenPort(Com, 115200, 'n'));
    }
    // Freeing an object releases its port.
    EXPECT_TRUE(Port.OpenPort(Com, 115200, 'n'));
}

TEST(PtyPortOpen, MissingDevicesAndNonTerminalsDoNotOpen) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("quorvel-not-a-port-" + std::to_string(::getpid()));
    std::ofstream(file) << "plain file";
    TPivotobject port;
    ::setenv("QUORVEL_COM8", "/nonexistent/quorvel-tty", 1);
    EXPECT_FALSE(port.OpenPort(8, 115200, 'n'));
    ::setenv("QUORVEL_COM8", file.c_str(), 1);
    EXPECT_FALSE(port.OpenPort(8, 115200, 'n'));
    EXPECT_EQ(port.PortNumber(), 0);
    ::unsetenv("QUORVEL_COM8");
    std::filesystem::remove(file);
}

TEST_F(PtyPort, SentBytesArriveUnchanged) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    const std::string packet = AllByteValues() + std::string("\0\0\r\n\x11\x13", 6);
    Port.SendPacket(packet);
    EXPECT_EQ(Line.Received(packet.size()), packet);
    // A packet far larger than the driver's queue still goes out whole.
    const std::string big(20000, '\0');
    std::string arrived;
    std::thread device([&] { arrived = Line.Received(big.size(), 5s); });
    Port.SendPacket(big);
    device.join();
    EXPECT_EQ(arrived.size(), big.size());
}

TEST_F(PtyPort, ReceivedBytesArriveUnchanged) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    const std::string all = AllByteValues();
    Line.Send(all);
    EXPECT_EQ(Receive(516, 1000, 100), all);
}

TEST_F(PtyPort, SilenceEndsAPacket) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    Line.Send("hello");
    EXPECT_EQ(Receive(516, 1000, 200), "hello");
    // It took the gap time-out (199 ms) of silence to know the packet had ended.
    EXPECT_GE(Took, 150ms);
    EXPECT_LT(Took, 900ms);
}

TEST_F(PtyPort, NoAnswerEndsAfterTheFirstByteTimeout) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    EXPECT_EQ(Receive(516, 300, 50), "");
    EXPECT_GE(Took, 250ms);
    EXPECT_LT(Took, 2s);
}

TEST_F(PtyPort, APauseSplitsPacketsAndAShortOneDoesNot) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
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
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    Line.Send("ABCDEFG");
    EXPECT_EQ(Receive(3, 1000, 3000), "ABCD");
    // A full packet ends the receive at once, without waiting for the (long) gap.
    EXPECT_LT(Took, 2s);
    EXPECT_EQ(Receive(516, 1000, 100), "EFG");
}

TEST_F(PtyPort, ASendDoesNotPurgeBytesWaitingOnTheLine) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    Line.Send("early");
    EXPECT_EQ(Receive(516, 1000, 100), "early");
    Line.Send("late");
    std::this_thread::sleep_for(50ms);
    Port.SendPacket("x");
    EXPECT_EQ(Receive(516, 1000, 100), "late");
}

TEST_F(PtyPort, AHungUpLineReadsAsSilenceWithoutSpinning) {
    ASSERT_TRUE(Port.OpenPort(Com, 115200, 'n'));
    Line.HangUp();
    EXPECT_EQ(Receive(516, 300, 50), "");
    EXPECT_GE(Took, 250ms);
    EXPECT_LT(Took, 2s);
    Port.SendPacket("nobody listens"); // must neither hang nor fail loudly
}

} // namespace
