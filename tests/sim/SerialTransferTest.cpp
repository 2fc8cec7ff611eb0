// The TFTP client against the simulator on a serial line: whole files byte for byte, how each
// failure ends (at the first time-out: nothing is sent again on a serial line), noise that never
// reaches a file, and the generated logger file.
#include "logger/ConvertLoggerFile.h"
#include "sim/LineFraming.h"
#include "sim/SampleLogger.h"
#include "support/PathText.h"
#include "tests/kit/FakeClock.h"
#include "tests/sim/SerialTestKit.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Each helper lets the line rest after its transfer.
std::string Download(TIdTrivialFTP& client, const std::string& name) {
    std::ostringstream data;
    client.Download(name, data);
    BetweenTransfers();
    return data.str();
}

void Upload(TIdTrivialFTP& client, const std::string& content, const std::string& name) {
    std::istringstream data(content);
    client.Upload(data, name, 3);
    BetweenTransfers();
}

template <class Call> std::string FailureOf(Call&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        BetweenTransfers();
        return error.what();
    }
    ADD_FAILURE() << "no failure";
    return {};
}

} // namespace

TEST(SerialTransfer, FilesCrossTheLineByteExactAtBlockBoundaries) {
    SerialSim sim;
    auto client = SerialClientAt(sim.LinePath());
    for (const std::size_t size : std::initializer_list<std::size_t>{0, 1, 511, 512, 513, 5000}) {
        const std::string name = "f" + std::to_string(size) + ".bin";
        const std::string content = PatternBytes(size);
        sim.folder.Write(name, content);
        EXPECT_EQ(Download(*client, name), content) << size;
        if (size > 0) { // an empty upload ends before anything is sent
            Upload(*client, content, "back-" + name);
            EXPECT_TRUE(sim.log.WaitFor("received " + std::to_string(size) + " bytes"));
            EXPECT_EQ(sim.folder.Read("back-" + name), content) << size;
        }
    }
}

TEST(SerialTransfer, RepeatedPacketsAreHarmless) {
    SimFaults faults;
    faults.duplicatePackets = {1, 2, 3, 4};
    SerialSim sim(faults);
    const std::string content = PatternBytes(2000);
    sim.folder.Write("f.bin", content);
    auto client = SerialClientAt(sim.LinePath());
    EXPECT_EQ(Download(*client, "f.bin"), content);
    Upload(*client, content, "g.bin");
    EXPECT_TRUE(sim.log.WaitFor("received 2000 bytes"));
    EXPECT_EQ(sim.folder.Read("g.bin"), content);
}

TEST(SerialTransfer, SilentDeviceFailsAtTheFirstTimeoutWithoutAResend) {
    SimFaults faults;
    faults.silentAfterBlock = 2;
    SerialSim sim(faults, SerialSim::FastLine(), 50);
    sim.folder.Write("f.bin", PatternBytes(3000));
    // The simulator answers within its pause if at all: the silent second is cut short, and it
    // gives up (three times 50 ms) before the client does.
    FakeClock clock(FakeClock::SystemWaits::Real);
    clock.LimitRealWaits(std::chrono::milliseconds(250));
    auto client = SerialClientAt(sim.LinePath(), clock);

    std::ostringstream partial;
    EXPECT_EQ(FailureOf([&] { client->Download("f.bin", partial); }), "Timeout");
    EXPECT_EQ(partial.str(), PatternBytes(1024));
    EXPECT_EQ(sim.log.Count("got ACK 2"), 1u) << "the last ACK is never repeated";

    EXPECT_EQ(FailureOf([&] { Upload(*client, PatternBytes(3000), "g.bin"); }), "Timeout");
    EXPECT_EQ(sim.log.Count("got DATA 3"), 1u) << "DATA 3 is never sent again";
    EXPECT_TRUE(sim.log.WaitFor("[#2] gave up"));
    EXPECT_EQ(sim.folder.Names(), std::vector<std::string>{"f.bin"}) << "no partial upload";
}

TEST(SerialTransfer, NoiseEndsADownloadWithAClearMessageAndNeverReachesTheFile) {
    struct Case {
        std::size_t noise;
        std::string message;
    };
    const std::vector<Case> cases = {
        {16, "Unexpected operation from :33"},
        {3, "Timeout (only 3 char(s))"},
        {600, "Received a packet of 517 bytes, more than the receive limit of 516 bytes"},
    };
    for (const Case& c : cases) {
        SimFaults faults;
        faults.garbageBeforePacket = 3; // OACK, DATA 1, noise, DATA 2
        faults.garbageBytes = c.noise;
        SerialSim sim(faults);
        sim.folder.Write("f.bin", PatternBytes(3000));
        auto client = SerialClientAt(sim.LinePath());
        const std::string local = PathText(sim.folder.Path() / "copy.bin");
        EXPECT_EQ(FailureOf([&] { client->Download("f.bin", local); }), c.message);
        EXPECT_EQ(sim.folder.Read("copy.bin"), PatternBytes(512)) << c.noise;
        // What the client left unread went with it: the next client finds the line empty.
        auto port = PortAt(sim.LinePath());
        ASSERT_TRUE(port->OpenPort(kTestCom, 115200, 'n'));
        std::string stale;
        port->ReceivePacket(1000, 200, 10, stale);
        EXPECT_EQ(stale, "") << c.noise;
    }
}

TEST(SerialTransfer, NoiseDuringAnUploadCostsResendsButNoData) {
    SimFaults faults;
    faults.garbageBeforePacket = 3; // OACK, ACK 1, noise, ACK 2
    SerialSim sim(faults);
    const std::string content = PatternBytes(3000);
    auto client = SerialClientAt(sim.LinePath());
    Upload(*client, content, "g.bin");
    EXPECT_TRUE(sim.log.WaitFor("received 3000 bytes"));
    EXPECT_EQ(sim.folder.Read("g.bin"), content);
}

TEST(SerialTransfer, GeneratedLoggerFileIsServedAndConverts) {
    SerialSim sim;
    auto client = SerialClientAt(sim.LinePath());
    const std::string zel = PathText(sim.folder.Path() / "copy.zel");
    client->Download("plog.zel", zel);
    BetweenTransfers();
    EXPECT_EQ(sim.folder.Read("copy.zel"), MakeSamplePlogZel(kDefaultZelSeed));

    const std::string csv = PathText(sim.folder.Path() / "copy.csv");
    ASSERT_EQ(ConvertLoggerFile(zel, csv, false, {}), "");
    EXPECT_EQ(LineCount(sim.folder.Read("copy.csv")), SampleLoggerEvents() + 1);
}

// Bytes need their time on a line at 115200 baud, in both directions; with the simulator's gap
// and the client's after each packet, a few blocks take well over the bare line time.
TEST(SerialTransfer, PacedLineIsNoFasterThan115200Baud) {
    SimSerialOptions paced = SerialSim::FastLine();
    paced.paced = true;
    SerialSim sim({}, paced);
    const std::string content = PatternBytes(2000);
    sim.folder.Write("f.bin", content);
    auto client = SerialClientAt(sim.LinePath());
    const auto lineTime = LineTime(content.size());

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(*client, "f.bin"), content);
    EXPECT_GE(std::chrono::steady_clock::now() - start, lineTime);

    start = std::chrono::steady_clock::now();
    Upload(*client, content, "g.bin");
    EXPECT_GE(std::chrono::steady_clock::now() - start, lineTime);
    EXPECT_TRUE(sim.log.WaitFor("received 2000 bytes"));
    EXPECT_EQ(sim.folder.Read("g.bin"), content);
}

// A technician raises the gap for a slow adapter or a radio link. A device that sends its last
// block again after a short time of its own must not have that copy taken for the rest of a
// block cut in two: a Get works for any gap up to half the device's resend time.
TEST(SerialTransfer, LongGapWorksWithADeviceThatResendsSoon) {
    SerialSim sim({}, SerialSim::FastLine(), 400); // resends after 400 ms
    auto client = SerialClientAt(sim.LinePath());
    client->SerialGapTimeout = 150;
    for (const std::size_t size :
         std::initializer_list<std::size_t>{1300, 1024}) { // a short last block, an empty one
        const std::string name = "f" + std::to_string(size) + ".bin";
        sim.folder.Write(name, PatternBytes(size));
        EXPECT_EQ(Download(*client, name), PatternBytes(size)) << size;
    }
}
