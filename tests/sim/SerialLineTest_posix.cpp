// The simulator's side of the serial line, seen through the client's port object: where a packet
// ends, the transfer-mode wake-up, one transfer at a time, and a client that goes away.
#include "support/PathText.h"
#include "tests/sim/SerialTestKit.h"

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// The client's end of the line, opened as the window opens it.
class LineEnd {
public:
    explicit LineEnd(const std::string& path) : port_(PortAt(path)) { Open(); }

    void Open() { ASSERT_TRUE(port_->OpenPort(kTestCom, 115200, 'n')); }
    void Close() { port_->ClosePort(); }
    void Send(const std::string& bytes) { port_->SendPacket(bytes); }
    // The next packet (bytes up to a pause of 10 ms), or empty after wait.
    std::string Receive(std::int32_t waitMs = 1000) {
        std::string packet;
        port_->ReceivePacket(70000, waitMs, 10, packet);
        return packet;
    }
    // The window's "Set transfer mode": "&" three times, 50 ms apart, then listen.
    std::string WakeUp() {
        for (int i = 0; i < 3; ++i) {
            Send("&");
            std::this_thread::sleep_for(50ms);
        }
        return Receive(300);
    }

private:
    std::unique_ptr<TPivotobject> port_;
};

std::string Rrq(const std::string& name) {
    return BuildRequestPacket(TFTP_RRQ, name, "octet", {});
}

} // namespace

TEST(SerialLine, WakeUpIsAnsweredWithTheStatusText) {
    SerialSim sim;
    LineEnd line(sim.LinePath());
    EXPECT_EQ(line.WakeUp(), "transfer mode on\r\n");
    line.Send("&&&");
    EXPECT_EQ(line.Receive(300), "transfer mode on\r\n") << "one burst counts as well";
    for (const char* part : {"&", "x", "&", "&"}) {
        line.Send(part);
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(line.Receive(300), "") << "another byte between breaks the wake-up";
}

TEST(SerialLine, RequestsWaitForTheWakeUpWhenTheDeviceNeedsIt) {
    SimSerialOptions serial = SerialSim::FastLine();
    serial.wakeRequired = true;
    SerialSim sim({}, serial);
    sim.folder.Write("f.bin", "data");
    LineEnd line(sim.LinePath());
    line.Send(Rrq("f.bin"));
    EXPECT_EQ(line.Receive(500), "");
    EXPECT_TRUE(sim.log.WaitFor("not in transfer mode"));
    EXPECT_EQ(line.WakeUp(), "transfer mode on\r\n");
    line.Send(Rrq("f.bin"));
    EXPECT_EQ(line.Receive(), BuildDataPacket(1, "data"));
}

// A request written in two parts is one packet while the pause between them is shorter than the
// simulator's gap, and two packets (a malformed request and a stray) when it is longer.
TEST(SerialLine, APacketEndsWithTheGap) {
    const std::string request = Rrq("f.bin");
    const std::string head = request.substr(0, 5);
    const std::string tail = request.substr(5);
    {
        SimSerialOptions slow = SerialSim::FastLine();
        slow.gapMs = 300;
        SerialSim sim({}, slow);
        sim.folder.Write("f.bin", "data");
        LineEnd line(sim.LinePath());
        line.Send(head);
        std::this_thread::sleep_for(20ms);
        line.Send(tail);
        EXPECT_EQ(line.Receive(), BuildDataPacket(1, "data"));
    }
    SerialSim sim;
    sim.folder.Write("f.bin", "data");
    LineEnd line(sim.LinePath());
    line.Send(head);
    std::this_thread::sleep_for(200ms);
    line.Send(tail);
    const std::string answer = line.Receive();
    ASSERT_GE(answer.size(), 4u);
    EXPECT_EQ(PacketOpcode(answer), TFTP_ERROR);
    EXPECT_EQ(PacketWord(answer), ERR_ILLEGAL_OPERATION);
    EXPECT_TRUE(sim.log.WaitFor("no transfer is running")) << "the tail is a packet of its own";
}

TEST(SerialLine, ANewRequestEndsTheTransferBeforeIt) {
    SerialSim sim;
    sim.folder.Write("a.bin", PatternBytes(2000));
    sim.folder.Write("b.bin", "b");
    LineEnd line(sim.LinePath());
    line.Send(Rrq("a.bin"));
    EXPECT_EQ(PacketOpcode(line.Receive()), TFTP_DATA);
    line.Send(Rrq("b.bin"));
    EXPECT_EQ(line.Receive(), BuildDataPacket(1, "b"));
    EXPECT_TRUE(sim.log.WaitFor("[#1] abandoned: a new request came"));
}

// A client that closes the line ends its transfer; what it left unread is gone when the next
// client opens the line, and the simulator waits quietly meanwhile.
TEST(SerialLine, AClientThatGoesAwayLeavesNothingBehind) {
    SerialSim sim;
    sim.folder.Write("a.bin", PatternBytes(2000));
    LineEnd line(sim.LinePath());
    line.Send(Rrq("a.bin"));
    std::this_thread::sleep_for(100ms); // DATA 1 waits unread
    line.Close();
    EXPECT_TRUE(sim.log.WaitFor("[#1] abandoned: the client closed the line"));

    const std::clock_t cpuBefore = std::clock();
    std::this_thread::sleep_for(500ms);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_LT(cpuSeconds, 0.25) << "the simulator spins on the closed line";

    line.Open();
    EXPECT_EQ(line.Receive(300), "") << "a stale packet opened the next session";
    EXPECT_EQ(sim.log.Count("sent DATA 2"), 0u) << "nothing is resent into a closed line";
}

// A serial port of the system is served the same way; here one end of a pseudo-terminal pair
// stands in for it, and the test plays the client on the other end.
TEST(SerialLine, AGivenTtyIsServedLikeThePseudoTerminal) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    ASSERT_EQ(::openpty(&master, &slave, name, &raw, nullptr), 0);
    TempFolder folder;
    folder.Write("f.bin", "data");
    SimOptions options;
    options.folder = PathText(folder.Path());
    options.serial = SerialSim::FastLine();
    options.serial->device = name;
    options.log = [](const std::string&) {};
    {
        SerialSimServer sim(options, MakeTtyLine(name));
        EXPECT_EQ(sim.LinePath(), name);
        ServiceThread serving(sim);
        const std::string request = Rrq("f.bin");
        ASSERT_EQ(::write(master, request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));
        const std::string expected = BuildDataPacket(1, "data");
        std::string answer;
        pollfd entry{master, POLLIN, 0};
        while (answer.size() < expected.size() && ::poll(&entry, 1, 2000) > 0) {
            char bytes[64];
            const ssize_t got = ::read(master, bytes, sizeof bytes);
            answer.append(bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        }
        EXPECT_EQ(answer, expected);
    }
    const auto held = MakeTtyLine(name);
    EXPECT_THROW(MakeTtyLine(name), std::runtime_error) << "a port is opened exclusively";
    ::close(slave);
    ::close(master);
}
