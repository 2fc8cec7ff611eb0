// Runs over many devices against one in-process simulator serving a network of devices: the
// same actions for every device, a silent and a refusing device among them, each device's own
// files, --only-failed, the refusals before anything is sent, and a Ctrl+C in the middle. These
// tests run several threads and belong to the thread sanitizer's run.
#include "cli/Cancel.h"
#include "support/FileNames.h"
#include "tests/cli/CliTestKit.h"
#include "tests/kit/Bytes.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Each thread has a time of its own: the reply waits a silent device skips must not hurry the
// other devices' waits, which run on other worker threads. Waits for the system last at most a
// moment in real time; the rest of them passes at once.
class ThreadClock final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now() + Skipped(); }
    void Sleep(Duration pause) override { Skipped() += pause; }
    bool Await(Duration limit, const SystemWait& wait) override {
        const Duration real = std::min(limit, Duration(100));
        if (wait(real)) {
            return true;
        }
        Sleep(limit - real);
        return false;
    }

private:
    static Duration& Skipped() {
        thread_local Duration skipped{0};
        return skipped;
    }
};

// Four devices: the second falls silent after its first answer, the third refuses every request.
SimOptions Network(unsigned latencyMs = 0) {
    SimOptions options;
    options.devices = 4;
    options.deviceFaults[2].silentAfterBlock = 0;
    options.deviceFaults[3].errorCode = 2;
    options.deviceFaults[3].errorText = "Read-only";
    options.timeoutMs = 150;
    options.retries = 2;
    options.latencyMs = latencyMs;
    return options;
}

struct Fleet {
    explicit Fleet(SimOptions options = Network()) : sim(std::move(options)) {
        for (unsigned k = 0; k < 4; ++k) {
            hosts += "127.0.0.1:" + std::to_string(sim.Port() + k) + " Mast " +
                     std::to_string(k + 1) + "\n";
        }
    }

    // The command for every device of the list, read from stdin; args may override the options.
    CliRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--hosts", "-", "--timeout", "1", "--jobs", "3"});
        return RunCliWith(args, hosts, false, clock);
    }

    std::string Device(unsigned k, const std::string& name) const {
        return ReadFile(sim.folder.Path() / ("device-" + std::to_string(k)) / name);
    }

    SimHarness sim;
    TempFolder local;
    std::string hosts;
    ThreadClock clock;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(FleetRun, FirmwareReachesEveryDeviceButTheSilentAndTheRefusingOne) {
    Fleet fleet(Network(1));
    const std::string image = PatternBytes(3000);
    fleet.local.Write("R7.pfw", image);
    fleet.local.Write("R7.PCH", "companion");
    const std::string report = fleet.local / "report.csv";
    const CliRun run = fleet.Cli({"firmware", fleet.local / "R7.pfw", "--report", report});
    EXPECT_EQ(run.status, 1) << run.err;
    for (const unsigned k : {1u, 4u}) {
        EXPECT_EQ(fleet.Device(k, "R7.pfw"), image) << k;
        EXPECT_EQ(fleet.Device(k, "R7.pch"), "companion") << k;
    }
    EXPECT_EQ(fleet.Device(3, "R7.pfw"), "");
    const std::string rows = fleet.local.Read("report.csv");
    const std::string port = std::to_string(fleet.sim.Port());
    EXPECT_EQ(rows.find("device;host;port;result;message;bytes;seconds\r\nMast 1;127.0.0.1;" +
                        port + ";ok;The new firmware was successfully transferred"),
              0u)
        << rows;
    EXPECT_NE(rows.find("\r\nMast 2;127.0.0.1;"), std::string::npos);
    EXPECT_NE(rows.find(";failed;TFTP put file failed! Timeout;"), std::string::npos) << rows;
    EXPECT_NE(rows.find("\r\nMast 3;127.0.0.1;" + std::to_string(fleet.sim.Port() + 2) +
                        ";failed;\"TFTP put file failed! \"\"Read-only\"\"\";0;"),
              std::string::npos)
        << rows;
    EXPECT_EQ(Count(rows, ";ok;"), 2u);
    EXPECT_EQ(Count(run.out, ": ok\n"), 2u);
    EXPECT_NE(run.err.find("Mast 3: failed: TFTP put file failed! \"Read-only\""),
              std::string::npos);
    EXPECT_NE(run.err.find("4 devices: 2 ok, 2 failed, 0 canceled, 0 not started; report in"),
              std::string::npos)
        << run.err;

    // Again for those that are not ok: the others keep their rows and get nothing.
    const std::size_t requests = fleet.sim.Requests().size();
    const CliRun again =
        fleet.Cli({"firmware", fleet.local / "R7.pfw", "--only-failed", report, "--json"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(fleet.sim.Requests().size(), requests + 2); // one WRQ for each of the two
    EXPECT_EQ(Count(again.out, "{\"device\":\"Mast "), 2u) << again.out;
    EXPECT_NE(again.out.find("\"result\":\"failed\",\"message\":\"TFTP put file failed! "
                             "\\\"Read-only\\\"\""),
              std::string::npos)
        << again.out;
    EXPECT_NE(again.err.find("2 of 4 devices are ok"), std::string::npos) << again.err;
}

TEST(FleetRun, GetAndLoggerWriteEveryDevicesOwnFilesAndReplaceOnlyWithYes) {
    Fleet fleet;
    fleet.sim.folder.Write("device-1/cfg.txt", "one");
    fleet.sim.folder.Write("device-4/cfg.txt", "four");
    std::filesystem::create_directory(fleet.local.Path() / "Mast 4");
    fleet.local.Write("Mast 4/cfg.txt", "older");
    const CliRun get = fleet.Cli({"get", "cfg.txt", PathText(fleet.local.Path())});
    EXPECT_EQ(get.status, 1);
    EXPECT_EQ(fleet.local.Read("Mast 1/cfg.txt"), "one");
    EXPECT_EQ(fleet.local.Read("Mast 4/cfg.txt"), "older");
    EXPECT_NE(get.err.find("Mast 4: failed: File \"" + (fleet.local / "Mast 4") +
                           std::string(1, kPathSeparator) +
                           "cfg.txt\" already exists! Overwrite? Not overwritten; add --yes"),
              std::string::npos)
        << get.err;
    EXPECT_NE(get.err.find("Mast 2: failed: TFTP get file failed! "), std::string::npos);
    EXPECT_EQ(fleet.Cli({"get", "cfg.txt", PathText(fleet.local.Path()), "--yes"}).status, 1);
    EXPECT_EQ(fleet.local.Read("Mast 4/cfg.txt"), "four");

    const CliRun logger = fleet.Cli({"logger", PathText(fleet.local.Path())});
    EXPECT_EQ(logger.status, 1);
    // Every simulated device keeps a logger of its own.
    EXPECT_EQ(LineCount(fleet.local.Read("Mast 1.CSV")), SampleLoggerEvents() + 1);
    EXPECT_GT(LineCount(fleet.local.Read("Mast 4.CSV")), 1u);
    EXPECT_NE(fleet.local.Read("Mast 4.CSV"), fleet.local.Read("Mast 1.CSV"));
    EXPECT_EQ(fleet.local.Read("Mast 2.CSV"), "");
}

TEST(FleetRun, NothingIsSentWhenTheReportOrTheListCannotBeUsed) {
    Fleet fleet;
    fleet.local.Write("x.pfo", "image");
    const std::string image = fleet.local / "x.pfo";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--report", PathText(fleet.local.Path() / "missing" / "r.csv")}, "the report"},
        {{"--report", image}, "the report \"" + image + "\" would replace \"" + image + "\""},
        {{"--jobs", "65"}, "--jobs must be a number from 1 to 64"},
        {{"--host", "127.0.0.1"}, "--hosts replaces --host"},
        {{"--com", "3"}, "--hosts and --com exclude each other"},
        {{"--only-failed", fleet.local / "none.csv"}, "cannot read the report"},
    };
    for (const auto& [options, refusal] : cases) {
        std::vector<std::string> args = {"firmware", image};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = fleet.Cli(args);
        EXPECT_EQ(run.status, 2) << refusal;
        EXPECT_NE(run.err.find(refusal), std::string::npos) << run.err;
    }
    fleet.hosts += "127.0.0.1:" + std::to_string(fleet.sim.Port()) + " again\n";
    EXPECT_NE(fleet.Cli({"firmware", image}).err.find("standard input:5: 127.0.0.1:"),
              std::string::npos);
    EXPECT_TRUE(fleet.sim.Requests().empty());
    // A firmware image that cannot be sent is checked once, before the first device.
    const CliRun unusable = RunCliWith(
        {"firmware", fleet.local / "R7.pfw", "--hosts", "-", "--report", fleet.local / "r.csv"},
        "127.0.0.1:9 a\n127.0.0.1:10 b\n");
    EXPECT_EQ(unusable.status, 1);
    EXPECT_EQ(Count(unusable.err, "was not found."), 1u) << unusable.err;
    EXPECT_EQ(Count(fleet.local.Read("r.csv"), ";not started;\"Transmit of firmware is not "
                                               "possible! The required file"),
              2u);
}

TEST(FleetRun, CtrlCCancelsTheRunningTransfersAndStartsNoFurtherDevice) {
    Fleet fleet(Network(20)); // about 100 blocks a second
    fleet.local.Write("big.bin", PatternBytes(512 * 1000));
    const std::string report = fleet.local / "report.csv";
    CliRun run;
    std::thread technician([&] {
        run = RunCliWith(
            {"put", fleet.local / "big.bin", "--hosts", "-", "--jobs", "1", "--report", report},
            fleet.hosts);
    });
    EXPECT_TRUE(fleet.sim.log.WaitFor("WRQ \"big.bin\""));
    // What Ctrl+C, a hang-up or a closed console does.
    EXPECT_TRUE(RequestCancel());
    technician.join();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("quorvel-cli: canceled:"), std::string::npos) << run.err;
    const std::string rows = fleet.local.Read("report.csv");
    EXPECT_NE(rows.find("Mast 1;127.0.0.1;" + std::to_string(fleet.sim.Port()) +
                        ";canceled;TFTP put file failed! EIdTFTPException: Operation canceled;"),
              std::string::npos)
        << rows;
    EXPECT_EQ(Count(rows, ";not started;canceled before it was started;0;0.00\r\n"), 3u) << rows;
    EXPECT_EQ(fleet.sim.Requests().size(), 1u);
}
