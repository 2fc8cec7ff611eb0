// quorvel-cli firmware, logger and wake, in-process against the in-process simulator on the
// loopback address: what reaches the device, the files left behind, the window's texts and the
// exit statuses.
#include "support/PathText.h"
#include "tests/cli/CliTestKit.h"
#include "tests/kit/FakeClock.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

const std::string kFirmwareSent =
    "The new firmware was successfully transferred and the update process was started.\n"
    "The process may take up to 30 seconds, your device will not react during this time.\n"
    "DO NOT remove the power during this time as this make the device unoperational!\n";

class CliWindowAction : public testing::Test {
protected:
    explicit CliWindowAction(const SimFaults& faults = {}) : sim(faults, 200, 3) {
        local.Write("quorvel.INI", "[zel-select]\n61=W\n");
    }

    // The command against the simulator, with the tables from the local settings file.
    CliRun Cli(std::vector<std::string> args, const std::string& input = "",
               bool terminal = false) {
        const std::vector<std::string> connection = {
            "--host", "127.0.0.1", "--port", std::to_string(sim.Port()), "--timeout", "1"};
        args.insert(args.end(), connection.begin(), connection.end());
        if (args[0] == "logger") {
            args.insert(args.end(), {"--settings", Local("quorvel.INI")});
        }
        return RunCliWith(args, input, terminal, pauses);
    }

    std::string Local(const std::string& name) const { return PathText(local.Path() / name); }

    bool DeviceGotAnyRequest() { return !sim.Requests().empty(); }

    SimHarness sim;
    TempFolder local;
    // The companion's pause passes at once.
    FakeClock pauses{FakeClock::SystemWaits::Real};
};

SimFaults DeviceError() {
    SimFaults faults;
    faults.errorCode = 2;
    faults.errorText = "Read-only device";
    faults.errorAtBlock = 1;
    return faults;
}

class CliWindowActionFaulty : public CliWindowAction {
protected:
    CliWindowActionFaulty() : CliWindowAction(DeviceError()) {}
};

} // namespace

TEST_F(CliWindowAction, PfoImageIsSentAloneEvenBesideACompanion) {
    local.Write("R7.pfo", PatternBytes(1500));
    local.Write("R7.pch", "companion");
    const CliRun run = Cli({"firmware", Local("R7.pfo")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kFirmwareSent);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(sim.folder.Read("R7.pfo"), PatternBytes(1500));
    EXPECT_FALSE(fs::exists(sim.folder.Path() / "R7.pch"));
}

// As copied from a FAT stick: the companion on disk is R7.PCH, the device gets it as R7.pch.
TEST_F(CliWindowAction, PfwImageIsFollowedByItsCompanionUnderTheImagesName) {
    local.Write("R7.PFW", PatternBytes(1000));
    local.Write("R7.PCH", PatternBytes(30));
    const CliRun run = Cli({"firmware", Local("R7.PFW")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kFirmwareSent);
    EXPECT_EQ(sim.folder.Read("R7.PFW"), PatternBytes(1000));
    EXPECT_EQ(sim.folder.Read("R7.pch"), PatternBytes(30));
    const std::vector<std::string> lines = sim.log.Lines();
    const auto image = std::ranges::find_if(
        lines, [](const std::string& line) { return line.find("WRQ \"R7.PFW\"") != line.npos; });
    const auto companion = std::ranges::find_if(
        lines, [](const std::string& line) { return line.find("WRQ \"R7.pch\"") != line.npos; });
    EXPECT_LT(image, companion) << "the image goes first";
}

TEST_F(CliWindowAction, RefusedImagesSendNothing) {
    local.Write("R7.pfw", PatternBytes(100));
    local.Write("R7.bin", PatternBytes(100));
    struct Case {
        std::string image;
        std::string err;
    };
    const std::vector<Case> cases = {
        {Local("R7.pfw"), "Transmit of firmware is not possible!\nThe required file \"" +
                              PathText(local.Path() / "R7.pch") + "\" was not found.\n"},
        {Local("R7.bin"), "Please select an firmware file\n"},
        {Local("gone.pfo"), "The file \"" + Local("gone.pfo") + "\" does not exist.\n"},
        {PathText(local.Path()), "\"" + PathText(local.Path()) + "\" is a folder, not a file.\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli({"firmware", c.image});
        EXPECT_EQ(run.status, 1) << c.image;
        EXPECT_EQ(run.out, "") << c.image;
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_FALSE(DeviceGotAnyRequest());
}

TEST_F(CliWindowActionFaulty, DeviceErrorFailsTheUpdateAndKeepsTheImage) {
    local.Write("R7.pfw", PatternBytes(1000));
    local.Write("R7.pch", PatternBytes(30));
    const CliRun run = Cli({"firmware", Local("R7.pfw")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "TFTP put file failed!\n\n\"Read-only device\"\n");
    EXPECT_EQ(sim.log.Count("WRQ \"R7.pch\""), 0u) << "no companion after a failed image";
    EXPECT_EQ(local.Read("R7.pfw"), PatternBytes(1000));
}

TEST_F(CliWindowAction, LoggerIsConvertedWithTheTablesAndNoTemporaryFileIsLeft) {
    const CliRun run = Cli({"logger", Local("report.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "data of logger successfull received and converted to file \"" +
                           Local("report.csv") + "\"\n");
    EXPECT_TRUE(sim.log.WaitFor("RRQ \"plog.zel\""));
    const std::string csv = local.Read("report.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "idx;timestamp;code;par1;par2;par3;source;par1-hex;"
                                             "par2-hex;par3-hex;61;\r");
    EXPECT_EQ(LineCount(csv), SampleLoggerEvents() + 1) << "only the slots that hold an event";
    EXPECT_EQ(local.Names(), (std::vector<std::string>{"quorvel.INI", "report.csv"}));
}

TEST_F(CliWindowAction, ExistingCsvIsReplacedOnlyWhenAllowed) {
    local.Write("report.csv", "old");
    const CliRun refused = Cli({"logger", Local("report.csv")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "File \"" + Local("report.csv") +
                               "\" already exists!\nOverwrite?\n"
                               "Not overwritten; add --yes to replace it.\n");
    EXPECT_EQ(local.Read("report.csv"), "old");
    EXPECT_FALSE(DeviceGotAnyRequest()) << "a refusal fetches nothing";

    EXPECT_EQ(Cli({"logger", Local("report.csv"), "--yes"}).status, 0);
    EXPECT_EQ(LineCount(local.Read("report.csv")), SampleLoggerEvents() + 1);
}

TEST_F(CliWindowActionFaulty, FailedDownloadKeepsTheOldCsvAndLeavesNoTemporaryFile) {
    local.Write("report.csv", "old");
    const CliRun run = Cli({"logger", Local("report.csv"), "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "TFTP read zel logger failed!\n\n\"Read-only device\"\n");
    EXPECT_EQ(local.Names(), (std::vector<std::string>{"quorvel.INI", "report.csv"}));
    EXPECT_EQ(local.Read("report.csv"), "old");
}

TEST_F(CliWindowAction, LoggerThatIsNoLoggerFailsTheConversion) {
    sim.folder.Write("plog.zel", "this is no logger file");
    const CliRun run = Cli({"logger", Local("report.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Converting of received data failed!\n\n", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(FilePath(Local("report.csv.tmp"))));
}

TEST(CliWindowSerial, WakeOnAPortThatCannotBeOpened) {
    const CliRun run = RunCliWith({"wake", "--com", "250", "--timeout", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Start of Transfer mode failed!\n\nUnable to open RS232port COM250\n");
}

TEST(CliWindowUsage, MistakesExitWithTwoAndTouchNothing) {
    TempFolder local;
    local.Write("R7.pfo", "image");
    const std::string image = PathText(local.Path() / "R7.pfo");
    const std::vector<std::vector<std::string>> mistakes = {
        {"firmware", image},
        {"logger", "out.csv"},
        {"wake"},
        {"wake", "--host", "127.0.0.1"},
        {"wake", "--com", "3", "--host", "127.0.0.1"},
        {"wake", "--com", "3", "extra"},
        {"firmware", image, "--host", "127.0.0.1", "--blksize", "1024"},
        {"firmware", image, "second", "--host", "127.0.0.1"},
        {"firmware", "", "--host", "127.0.0.1"},
        {"firmware", image, "--host", "127.0.0.1", "--yes"},
        {"logger", "out.csv", "--host", "127.0.0.1", "--settings", "no-such.INI"},
    };
    for (const auto& args : mistakes) {
        const CliRun run = RunCliWith(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Try \"quorvel-cli --help\"."), std::string::npos);
    }
    EXPECT_EQ(local.Names(), std::vector<std::string>{"R7.pfo"});
}
