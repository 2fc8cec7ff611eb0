// quorvel-cli's get and put, run in-process against the in-process simulator: byte-exact
// transfers, the overwrite rules, clean-up after failures and the texts shown.
#include "support/PathText.h"
#include "tests/cli/CliTestKit.h"
#include "tests/kit/FakeClock.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A simulator with the given faults, a local folder, and the CLI pointed at the simulator.
struct Bench {
    explicit Bench(const SimFaults& faults = {}) : sim(faults, 200, 3) {}

    CliRun Cli(std::vector<std::string> args, const std::string& input = "",
               bool terminal = false) {
        const std::vector<std::string> connection = {
            "--host", "127.0.0.1", "--port", std::to_string(sim.Port()), "--timeout", "1"};
        args.insert(args.end(), connection.begin(), connection.end());
        return RunCliWith(args, input, terminal, clock);
    }

    std::string Local(const std::string& name) const { return PathText(local.Path() / name); }

    SimHarness sim;
    TempFolder local;
    FakeClock clock{FakeClock::SystemWaits::Real};
};

class CliTransfer : public testing::Test, protected Bench {};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

TEST_F(CliTransfer, GetAndPutAreByteExactAtBlockBoundaries) {
    for (const std::size_t size :
         std::initializer_list<std::size_t>{0, 1, 511, 512, 513, 1024, 1 << 20}) {
        const std::string name = "f" + std::to_string(size) + ".bin";
        const std::string content = PatternBytes(size);
        sim.folder.Write(name, content);
        const CliRun get = Cli({"get", name, Local(name)});
        ASSERT_EQ(get.status, 0) << size << get.err;
        EXPECT_EQ(get.out, "File " + Quoted(Local(name)) + " successfull received\n");
        EXPECT_EQ(local.Read(name), content) << size;
        if (size == 0) {
            continue; // an empty put fails, below
        }
        const CliRun put = Cli({"put", Local(name), "back-" + name});
        ASSERT_EQ(put.status, 0) << size << put.err;
        EXPECT_EQ(put.out, "File " + Quoted(Local(name)) + " successfull sent\n");
        EXPECT_EQ(sim.folder.Read("back-" + name), content) << size;
    }
}

TEST_F(CliTransfer, AgreedBlockSizeIsUsed) {
    const std::string content = PatternBytes(5000);
    sim.folder.Write("f.bin", content);
    EXPECT_EQ(Cli({"get", "f.bin", Local("f.bin"), "--blksize", "1024"}).status, 0);
    EXPECT_EQ(local.Read("f.bin"), content);
    EXPECT_TRUE(sim.log.WaitFor("sent 5000 bytes in 5 blocks of 1024"));
    EXPECT_EQ(Cli({"--blksize=1400", "put", Local("f.bin"), "g.bin"}).status, 0);
    EXPECT_TRUE(sim.log.WaitFor("received 5000 bytes in 4 blocks of 1400"));
}

TEST_F(CliTransfer, PutSendsUnderTheFileNameOfLocal) {
    local.Write("cfg.bin", "config");
    EXPECT_EQ(Cli({"put", Local("cfg.bin")}).status, 0);
    EXPECT_EQ(sim.folder.Read("cfg.bin"), "config");
}

TEST_F(CliTransfer, GetIntoAFolderUsesTheRemoteName) {
    sim.folder.Write("Report.TXT", "report");
    EXPECT_EQ(Cli({"get", "Report.TXT", PathText(local.Path())}).status, 0);
    EXPECT_EQ(local.Read("Report.TXT"), "report");
}

TEST_F(CliTransfer, ExistingFileIsKeptWithoutYesWhenNobodyCanBeAsked) {
    sim.folder.Write("f.bin", "new");
    local.Write("f.bin", "old");
    const CliRun run = Cli({"get", "f.bin", Local("f.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("already exists"), std::string::npos);
    EXPECT_NE(run.err.find("--yes"), std::string::npos);
    EXPECT_EQ(local.Read("f.bin"), "old");
    EXPECT_TRUE(sim.Requests().empty()) << "nothing may be requested";
}

TEST_F(CliTransfer, OverwriteQuestionOnATerminal) {
    sim.folder.Write("f.bin", "new");
    local.Write("f.bin", "old");
    const CliRun no = Cli({"get", "f.bin", Local("f.bin")}, "n\n", true);
    EXPECT_EQ(no.status, 1);
    EXPECT_NE(no.err.find("already exists!\nOverwrite? [y/N]"), std::string::npos);
    EXPECT_EQ(local.Read("f.bin"), "old");
    EXPECT_EQ(Cli({"get", "f.bin", Local("f.bin")}, "y\n", true).status, 0);
    EXPECT_EQ(local.Read("f.bin"), "new");
}

TEST_F(CliTransfer, YesReplacesWithoutAsking) {
    sim.folder.Write("f.bin", "new");
    local.Write("f.bin", "old");
    EXPECT_EQ(Cli({"get", "f.bin", Local("f.bin"), "--yes"}).status, 0);
    EXPECT_EQ(local.Read("f.bin"), "new");
}

TEST_F(CliTransfer, FailedGetKeepsTheOldFile) {
    local.Write("f.bin", "old");
    const CliRun run = Cli({"get", "f.bin", Local("f.bin"), "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "TFTP get file failed!\n\n\"File not found\"\n");
    EXPECT_EQ(local.Names(), std::vector<std::string>{"f.bin"});
    EXPECT_EQ(local.Read("f.bin"), "old");
}

TEST_F(CliTransfer, EmptyPutFailsWithTheClassNameInTheText) {
    local.Write("empty.bin", "");
    const CliRun run = Cli({"put", Local("empty.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "TFTP put file failed!\n\nEIdTFTPException: Filesize=0\n");
    EXPECT_TRUE(fs::exists(FilePath(Local("empty.bin")))) << "a put never deletes its file";
}

TEST_F(CliTransfer, MissingLocalFileFailsThePut) {
    const CliRun run = Cli({"put", Local("missing.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("TFTP put file failed!\n\nException: ", 0), 0u) << "as in the window";
    EXPECT_NE(run.err.find("missing.bin"), std::string::npos);
}

TEST(CliSerial, ComPortThatCannotBeOpenedFailsTheTransfer) {
    TempFolder local;
    const std::string path = PathText(local.Path() / "f.bin");
    const CliRun get = RunCliWith({"get", "f.bin", path, "--com", "250", "--timeout", "1"});
    EXPECT_EQ(get.status, 1);
    EXPECT_EQ(get.err, "TFTP get file failed!\n\nUnable to open RS232 port COM250\n");
    EXPECT_FALSE(fs::exists(FilePath(path)));
    local.Write("f.bin", "x");
    EXPECT_EQ(RunCliWith({"put", path, "--com", "250", "--gap", "20"}).err,
              "TFTP put file failed!\n\nEIdTFTPException: Unable to open RS232 port COM250\n");
}

void PrintTo(const SimFaults& faults, std::ostream* out) {
    *out << faults.Describe();
}

namespace {

SimFaults With(void (*set)(SimFaults&)) {
    SimFaults faults;
    set(faults);
    return faults;
}

} // namespace

TEST(CliTransferFaults, DeviceErrorMidwayFailsGetAndPutAndLeavesNoFiles) {
    Bench bench(With([](SimFaults& f) {
        f.errorCode = 2;
        f.errorText = "Read-only device";
        f.errorAtBlock = 2;
    }));
    bench.sim.folder.Write("f.bin", PatternBytes(3000));
    const CliRun get = bench.Cli({"get", "f.bin", bench.Local("f.bin")});
    EXPECT_EQ(get.status, 1);
    EXPECT_EQ(get.err, "TFTP get file failed!\n\n\"Read-only device\"\n");
    EXPECT_TRUE(bench.local.Names().empty()) << "neither the part received nor a scratch file";

    bench.local.Write("up.bin", PatternBytes(3000));
    const CliRun put = bench.Cli({"put", bench.Local("up.bin")});
    EXPECT_EQ(put.status, 1);
    EXPECT_EQ(put.err, "TFTP put file failed!\n\nEIdTFTPAccessViolation: \"Read-only device\"\n");
    EXPECT_FALSE(fs::exists(bench.sim.folder.Path() / "up.bin"));
}

TEST(CliTransferFaults, SilentDeviceFailsTheGetWithTimeoutAndNoFile) {
    Bench bench(With([](SimFaults& f) { f.silentAfterBlock = 1; }));
    bench.clock.LimitRealWaits(std::chrono::milliseconds(250)); // it answers at once if at all
    bench.sim.folder.Write("f.bin", PatternBytes(3000));
    const CliRun run = bench.Cli({"get", "f.bin", bench.Local("f.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "TFTP get file failed!\n\nTimeout\n");
    EXPECT_FALSE(fs::exists(FilePath(bench.Local("f.bin"))));
}

TEST(CliTransferFaults, SkippedNumberEndsWithTheExactFileOrWithNoFile) {
    // The data goes on without a gap but the numbering does not: a client may store it or
    // refuse it as missing data, but must never leave a file that differs.
    Bench bench(With([](SimFaults& f) { f.skipBlock = 2; }));
    bench.sim.folder.Write("f.bin", PatternBytes(3000));
    const CliRun run = bench.Cli({"get", "f.bin", bench.Local("f.bin")});
    if (run.status == 0) {
        EXPECT_EQ(bench.local.Read("f.bin"), PatternBytes(3000));
    } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(fs::exists(FilePath(bench.Local("f.bin"))));
    }
}

TEST(CliTransferFaults, OptionBeforeBlksizeLeavesTheClientAtDefaultBlocks) {
    // The client adopts only the first option of an OACK; a block size behind another one that
    // differs from the blocks in force is refused.
    Bench bench(With([](SimFaults& f) { f.oackExtraOption = true; }));
    bench.sim.folder.Write("f.bin", PatternBytes(3000));
    const CliRun run = bench.Cli({"get", "f.bin", bench.Local("f.bin"), "--blksize", "1024"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(FilePath(bench.Local("f.bin"))));
}

// The faults the client is built to survive.
class CliTransferThroughFaults : public testing::TestWithParam<SimFaults> {};

TEST_P(CliTransferThroughFaults, GetStillDeliversTheExactFile) {
    Bench bench(GetParam());
    bench.sim.folder.Write("f.bin", PatternBytes(3000));
    const CliRun run = bench.Cli({"get", "f.bin", bench.Local("f.bin"), "--blksize", "1024"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(bench.local.Read("f.bin"), PatternBytes(3000));
}

INSTANTIATE_TEST_SUITE_P(Survivable, CliTransferThroughFaults,
                         testing::Values(With([](SimFaults& f) { f.ignoreOptions = true; }),
                                         With([](SimFaults& f) { f.dropPackets = {3}; }),
                                         With([](SimFaults& f) {
                                             f.duplicatePackets = {2, 3};
                                         }),
                                         With([](SimFaults& f) { f.oackUpperCase = true; }),
                                         With([](SimFaults& f) { f.oackBlockSize = "700"; }),
                                         With([](SimFaults& f) { f.strayAfterPacket = 2; })));
