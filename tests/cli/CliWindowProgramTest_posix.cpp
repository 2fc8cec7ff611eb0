// The real quorvel-cli running the window's firmware, logger and wake actions: on the simulator's
// serial line (a pseudo-terminal named to the child only, through QUORVEL_COM<n>), on a line
// where nobody answers, and Ctrl+C where the window's "Cancel action" may or may not be pressed.
#include "tests/sim/ChildProcess.h"
#include "tests/sim/SerialTestKit.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

ChildProcess Cli(const std::vector<std::string>& args, const TempFolder& workDir,
                 const std::vector<std::string>& environment = {}) {
    std::vector<std::string> argv{QUORVEL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, "", workDir.Path(), environment);
}

// A pseudo-terminal whose far end nobody answers: a device that is switched off.
class SilentLine {
public:
    SilentLine() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        path_ = ::ptsname(master_);
    }
    ~SilentLine() { ::close(master_); }
    SilentLine(const SilentLine&) = delete;
    SilentLine& operator=(const SilentLine&) = delete;

    const std::string& Path() const { return path_; }

    // What reached the device within the wait.
    std::string Heard(std::size_t count, std::chrono::milliseconds wait) const {
        std::string heard;
        const auto until = std::chrono::steady_clock::now() + wait;
        while (heard.size() < count && std::chrono::steady_clock::now() < until) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 50) == 1 && (ready.revents & POLLIN) != 0) {
                char buffer[64];
                const ssize_t got = ::read(master_, buffer, sizeof buffer);
                if (got > 0) {
                    heard.append(buffer, static_cast<std::size_t>(got));
                }
            }
        }
        return heard;
    }

private:
    int master_ = -1;
    std::string path_;
};

} // namespace

TEST(CliWindowProgram, WakeShowsTheDevicesAnswerAsItCame) {
    SerialSim sim;
    TempFolder work;
    ChildProcess wake = Cli({"wake", "--com", "34"}, work, {"QUORVEL_COM34=" + sim.LinePath()});
    EXPECT_EQ(wake.Wait(20s), 0) << wake.Err();
    EXPECT_EQ(wake.Out(), "transfer mode on\n");
    EXPECT_EQ(wake.Err(), "");
    EXPECT_TRUE(sim.log.WaitFor("wake-up"));
}

TEST(CliWindowProgram, WakeWithoutAnswerFailsAfterTheTimeout) {
    SilentLine line;
    TempFolder work;
    ChildProcess wake =
        Cli({"wake", "--com", "35", "--timeout", "1"}, work, {"QUORVEL_COM35=" + line.Path()});
    EXPECT_EQ(line.Heard(3, 5s), "&&&");
    EXPECT_EQ(wake.Wait(20s), 1);
    EXPECT_EQ(wake.Out(), "Start of Transfer mode failed!\n");
    EXPECT_EQ(wake.Err(), "");
}

TEST(CliWindowProgram, FirmwareAndLoggerOverTheSimulatorsLine) {
    SerialSim sim;
    TempFolder work;
    const std::vector<std::string> com34 = {"QUORVEL_COM34=" + sim.LinePath()};
    work.Write("R7.pfw", PatternBytes(3000));
    work.Write("R7.pch", PatternBytes(700));
    ChildProcess firmware = Cli({"firmware", "R7.pfw", "--com", "34"}, work, com34);
    EXPECT_EQ(firmware.Wait(30s), 0) << firmware.Err();
    EXPECT_EQ(sim.folder.Read("R7.pfw"), PatternBytes(3000));
    EXPECT_EQ(sim.folder.Read("R7.pch"), PatternBytes(700));

    BetweenTransfers();
    work.Write("quorvel.INI", "");
    ChildProcess logger =
        Cli({"logger", "plog.csv", "--com", "34", "--gap", "15", "--settings", "quorvel.INI"}, work,
            com34);
    EXPECT_EQ(logger.Wait(30s), 0) << logger.Err();
    EXPECT_EQ(logger.Out(),
              "data of logger successfull received and converted to file \"plog.csv\"\n");
    EXPECT_TRUE(fs::exists(work.Path() / "plog.csv"));
    EXPECT_FALSE(fs::exists(work.Path() / "plog.csv.tmp"));
}

TEST(CliWindowProgram, CtrlCCancelsTheLoggerDownloadAndLeavesNoFiles) {
    SimFaults faults;
    faults.silentAfterBlock = 0;
    SimHarness sim(faults, 5000, 5);
    TempFolder work;
    work.Write("quorvel.INI", "");
    ChildProcess logger =
        Cli({"logger", "report.csv", "--host", "127.0.0.1", "--port", std::to_string(sim.Port()),
             "--timeout", "16", "--settings", "quorvel.INI"},
            work);
    ASSERT_TRUE(sim.log.WaitFor("RRQ \"plog.zel\""));
    logger.Signal(SIGINT);
    EXPECT_EQ(logger.Wait(10s), 1);
    EXPECT_EQ(logger.Err(), "TFTP read zel logger failed!\n\nOperation canceled\n");
    EXPECT_EQ(work.Names(), std::vector<std::string>{"quorvel.INI"});
}

// Once the image is on the device its companion must follow, as in the window, where "Cancel
// action" is disabled from then on.
TEST(CliWindowProgram, CtrlCAfterTheImageDoesNotStopTheCompanion) {
    SimHarness sim;
    TempFolder work;
    work.Write("R7.pfw", PatternBytes(1000));
    work.Write("R7.pch", PatternBytes(100000));
    ChildProcess firmware = Cli(
        {"firmware", "R7.pfw", "--host", "127.0.0.1", "--port", std::to_string(sim.Port())}, work);
    ASSERT_TRUE(sim.log.WaitFor("received 1000 bytes"));
    // Inside the second's pause between the two files.
    std::this_thread::sleep_for(300ms);
    firmware.Signal(SIGINT);
    EXPECT_EQ(firmware.Wait(30s), 0) << firmware.Err();
    EXPECT_NE(firmware.Out().find("successfully transferred"), std::string::npos);
    EXPECT_EQ(firmware.Err(),
              "quorvel-cli: this step can no longer be cancelled; it runs to its end\n");
    EXPECT_TRUE(sim.folder.Read("R7.pch") == PatternBytes(100000)) << "the companion arrived whole";
}
