// The real quorvel-cli and quorvel-sim programs: exit statuses, stdin that is no terminal,
// Ctrl+C during a silent wait, and the simulator's start line and shutdown.
#include "sim/ChildProcess.h"
#include "sim/SimTestKit.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

ChildProcess Cli(const std::vector<std::string>& args, const ScratchFolder& workDir,
                 const std::string& input = "") {
    std::vector<std::string> argv{QUORVEL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, input, workDir.Path());
}

} // namespace

TEST(CliProgram, UsageErrorExitsWithTwoHelpWithZero) {
    ScratchFolder work;
    ChildProcess wrong = Cli({"get", "x"}, work);
    EXPECT_EQ(wrong.Wait(10s), 2);
    EXPECT_NE(wrong.Err().find("--host"), std::string::npos);
    ChildProcess help = Cli({"--help"}, work);
    EXPECT_EQ(help.Wait(10s), 0);
    EXPECT_NE(help.Out().find("Usage: quorvel-cli"), std::string::npos);
}

TEST(CliProgram, GetStoresUnderTheRemoteNameInTheWorkingFolder) {
    SimHarness sim;
    ScratchFolder work;
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
    ScratchFolder work;
    sim.folder.Write("f.bin", "new");
    work.Write("f.bin", "old");
    ChildProcess get = Cli(
        {"get", "f.bin", "--host", "127.0.0.1", "--port", std::to_string(sim.Port())}, work, "y\n");
    EXPECT_EQ(get.Wait(20s), 1);
    EXPECT_EQ(work.Read("f.bin"), "old");
}

TEST(CliProgram, CtrlCDuringASilentWaitCancelsWithinAboutASecond) {
    SimFaults faults;
    faults.silentAfterBlock = 0;
    SimHarness sim(faults, 5000, 5);
    ScratchFolder work;
    sim.folder.Write("f.bin", PatternBytes(3000));
    ChildProcess get = Cli({"get", "f.bin", "--host", "127.0.0.1", "--port",
                            std::to_string(sim.Port()), "--timeout", "16"},
                           work);
    ASSERT_TRUE(sim.log.WaitFor("RRQ \"f.bin\""));
    const auto interrupted = std::chrono::steady_clock::now();
    get.Signal(SIGINT);
    EXPECT_EQ(get.Wait(10s), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, 2500ms);
    EXPECT_EQ(get.Err(), "TFTP get file failed!\n\nOperation canceled\n");
    EXPECT_FALSE(std::filesystem::exists(work.Path() / "f.bin"));
}

TEST(SimProgram, PrintsWhereItListensServesAndStopsOnCtrlC) {
    ScratchFolder served;
    ScratchFolder work;
    served.Write("hello.txt", "hello");
    ChildProcess sim({QUORVEL_SIM_PATH, "--port", "0", served.Path().string()}, "", work.Path());
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
    ScratchFolder work;
    ChildProcess wrong({QUORVEL_SIM_PATH, "--drop", "none"}, "", work.Path());
    EXPECT_EQ(wrong.Wait(10s), 2);
    ChildProcess help({QUORVEL_SIM_PATH, "--help"}, "", work.Path());
    EXPECT_EQ(help.Wait(10s), 0);
    EXPECT_NE(help.Out().find("--silent-after"), std::string::npos);
    ChildProcess missing({QUORVEL_SIM_PATH, "--port", "0", "no-such-folder"}, "", work.Path());
    EXPECT_EQ(missing.Wait(10s), 1);
    EXPECT_NE(missing.Err().find("no-such-folder"), std::string::npos);
}
