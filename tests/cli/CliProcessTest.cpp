// The real quorvel-cli and quorvel-sim programs: exit statuses, stdin that is no terminal,
// Ctrl+C and a hang-up during a silent wait, the simulator's start line and shutdown, transfers
// over the simulator's serial line, and the settings file beside the program.
#include "sim/SampleLogger.h"
#include "sim/SimOptions.h"
#include "support/PathText.h"
#include "tests/sim/ChildProcess.h"
#include "tests/sim/SimTestKit.h"

#include <csignal>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

ChildProcess Cli(const std::vector<std::string>& args, const TempFolder& workDir,
                 const std::string& input = "", const std::vector<std::string>& environment = {}) {
    std::vector<std::string> argv{QUORVEL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, input, workDir.Path(), environment);
}

// The simulator on a pseudo-terminal of its own, and the device its first line names.
struct SerialSimProgram {
    explicit SerialSimProgram(const TempFolder& served)
        : process({QUORVEL_SIM_PATH, "--serial", PathText(served.Path())}, "", served.Path()) {
        EXPECT_TRUE(process.WaitForOutput("\n", 10s));
        const std::string first = process.Out().substr(0, process.Out().find('\n'));
        EXPECT_EQ(first.rfind("serial line /dev/", 0), 0u) << first;
        line = first.substr(first.find('/'));
    }

    ChildProcess process;
    std::string line;
};

} // namespace

TEST(CliProgram, UsageErrorExitsWithTwoHelpWithZero) {
    TempFolder work;
    ChildProcess wrong = Cli({"get", "x"}, work);
    EXPECT_EQ(wrong.Wait(10s), 2);
    EXPECT_NE(wrong.Err().find("--host"), std::string::npos);
    ChildProcess help = Cli({"--help"}, work);
    EXPECT_EQ(help.Wait(10s), 0);
    EXPECT_NE(help.Out().find("Usage: quorvel-cli"), std::string::npos);
}

TEST(CliProgram, GetStoresUnderTheRemoteNameInTheWorkingFolder) {
    SimHarness sim;
    TempFolder work;
    sim.folder.Write("plog.zel", PatternBytes(2000));
    ChildProcess get =
        Cli({"--port", std::to_string(sim.Port()), "get", "plog.zel", "--host", "127.0.0.1"}, work);
    EXPECT_EQ(get.Wait(20s), 0) << get.Err();
    EXPECT_EQ(get.Out(), "File \"plog.zel\" successfull received\n");
    EXPECT_EQ(get.Err(), "") << "no progress line when stderr is no terminal";
    EXPECT_EQ(work.Read("plog.zel"), PatternBytes(2000));
}

TEST(CliProgram, ExistingFileIsRefusedWhenStdinIsNoTerminal) {
    SimHarness sim;
    TempFolder work;
    sim.folder.Write("f.bin", "new");
    work.Write("f.bin", "old");
    ChildProcess get = Cli(
        {"get", "f.bin", "--host", "127.0.0.1", "--port", std::to_string(sim.Port())}, work, "y\n");
    EXPECT_EQ(get.Wait(20s), 1);
    EXPECT_EQ(work.Read("f.bin"), "old");
}

// Ctrl+C, a termination request and a hang-up (a remote session that drops) all cancel: the get
// ends within about a second, the older file stays as it was, and nothing is left beside it.
TEST(CliProgram, InterruptsDuringASilentWaitCancelWithinAboutASecond) {
    SimFaults faults;
    faults.silentAfterBlock = 0;
    SimHarness sim(faults, 5000, 5);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string name = "f" + std::to_string(signal) + ".bin";
        sim.folder.Write(name, PatternBytes(3000));
        TempFolder work;
        work.Write(name, "older");
        ChildProcess get = Cli({"get", name, "--yes", "--host", "127.0.0.1", "--port",
                                std::to_string(sim.Port()), "--timeout", "16"},
                               work);
        ASSERT_TRUE(sim.log.WaitFor("RRQ \"" + name + "\""));
        const auto interrupted = std::chrono::steady_clock::now();
        get.Signal(signal);
        EXPECT_EQ(get.Wait(10s), 1) << signal;
        EXPECT_LT(std::chrono::steady_clock::now() - interrupted, 2500ms);
        EXPECT_EQ(get.Err(), "TFTP get file failed!\n\nOperation canceled\n");
        EXPECT_EQ(work.Names(), std::vector<std::string>{name});
        EXPECT_EQ(work.Read(name), "older");
    }
}

TEST(SimProgram, PrintsWhereItListensServesAndStopsOnCtrlC) {
    TempFolder served;
    TempFolder work;
    served.Write("hello.txt", "hello");
    ChildProcess sim({QUORVEL_SIM_PATH, "--port", "0", PathText(served.Path())}, "", work.Path());
    ASSERT_TRUE(sim.WaitForOutput("\n", 10s));
    const std::string first = sim.Out().substr(0, sim.Out().find('\n'));
    ASSERT_EQ(first.rfind("listening on 127.0.0.1:", 0), 0u) << first;
    const auto port = static_cast<std::uint16_t>(std::stoi(first.substr(first.rfind(':') + 1)));
    RawPeer peer(port);
    peer.SendReadRequest("hello.txt", std::nullopt);
    EXPECT_EQ(peer.ReadToEnd(), "hello");
    EXPECT_TRUE(sim.WaitForOutput("sent 5 bytes", 5s));
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(10s), 0);
    EXPECT_NE(sim.Out().find("stopped"), std::string::npos);
}

TEST(SimProgram, BadSwitchExitsWithTwoHelpWithZero) {
    TempFolder work;
    ChildProcess wrong({QUORVEL_SIM_PATH, "--drop", "none"}, "", work.Path());
    EXPECT_EQ(wrong.Wait(10s), 2);
    ChildProcess help({QUORVEL_SIM_PATH, "--help"}, "", work.Path());
    EXPECT_EQ(help.Wait(10s), 0);
    EXPECT_NE(help.Out().find("--silent-after"), std::string::npos);
    ChildProcess missing({QUORVEL_SIM_PATH, "--port", "0", "no-such-folder"}, "", work.Path());
    EXPECT_EQ(missing.Wait(10s), 1);
    EXPECT_NE(missing.Err().find("no-such-folder"), std::string::npos);
}

// COM 33 reaches the simulator through the child's environment, COM 36 through --settings.
TEST(CliProgram, GetAndPutOverTheSimulatorsSerialLine) {
    TempFolder served;
    TempFolder work;
    served.Write("f.bin", PatternBytes(5000));
    SerialSimProgram sim(served);
    const std::vector<std::string> com33 = {"QUORVEL_COM33=" + sim.line};

    ChildProcess get = Cli({"get", "f.bin", "--com", "33"}, work, "", com33);
    EXPECT_EQ(get.Wait(20s), 0) << get.Err();
    EXPECT_EQ(get.Out(), "File \"f.bin\" successfull received\n");
    EXPECT_EQ(work.Read("f.bin"), PatternBytes(5000));

    ChildProcess put =
        Cli({"put", "f.bin", "back.bin", "--com", "33", "--gap", "15"}, work, "", com33);
    EXPECT_EQ(put.Wait(20s), 0) << put.Err();
    EXPECT_EQ(put.Out(), "File \"f.bin\" successfull sent\n");
    EXPECT_TRUE(sim.process.WaitForOutput("received 5000 bytes", 5s));
    EXPECT_EQ(served.Read("back.bin"), PatternBytes(5000));

    // The settings file may point a COM number at the line as well, as for a USB adapter.
    work.Write("ports.INI", "[ComPorts]\r\nCOM36=" + sim.line + "\r\n");
    ChildProcess mapped =
        Cli({"get", "f.bin", "m.bin", "--com", "36", "--settings", "ports.INI"}, work);
    EXPECT_EQ(mapped.Wait(20s), 0) << mapped.Err();
    EXPECT_EQ(work.Read("m.bin"), PatternBytes(5000));

    ChildProcess missing = Cli({"get", "f.bin", "--com", "34", "--yes", "--timeout", "1"}, work);
    EXPECT_EQ(missing.Wait(20s), 1);
    EXPECT_EQ(missing.Err(), "TFTP get file failed!\n\nUnable to open RS232 port COM34\n");
}

// Without --settings, the tables come from quorvel.INI in the program's own folder: the window's
// settings file when both programs lie side by side.
TEST(CliProgram, ConvertTakesTheTablesFromBesideTheProgram) {
    TempFolder install;
    TempFolder work;
    const fs::path program = install.Path() / "quorvel-cli";
    fs::copy_file(FilePath(QUORVEL_CLI_PATH), program);
    fs::permissions(program, fs::perms::owner_all);
    install.Write("quorvel.INI", "[zel-select]\n61=W\n");
    work.Write("plog.zel", MakeSamplePlogZel(kDefaultZelSeed));
    ChildProcess convert({PathText(program), "convert", "plog.zel"}, "", work.Path());
    ASSERT_EQ(convert.Wait(20s), 0) << convert.Err();
    const std::string csv = work.Read("plog.CSV");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "idx;timestamp;code;par1;par2;par3;source;par1-hex;"
                                             "par2-hex;par3-hex;61;\r");
    EXPECT_EQ(convert.Out(),
              "data of logger successfull received and converted to file \"plog.CSV\"\n");
}
