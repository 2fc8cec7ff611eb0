// The console as the actions' host: where messages go, how the overwrite question is answered,
// the progress line across an action's transfers, Ctrl+C past the point of no return, and the
// connection options as the client then sees them.
#include "cli/ConsoleHost.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Console {
    explicit Console(bool inTerminal = false, bool errTerminal = false, std::string input = "")
        : in(std::move(input)), io{in, out, err, inTerminal, errTerminal} {}

    ConsoleHost Host(TransferSettings settings = {}) { return {io, std::nullopt, settings, {}}; }

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliIo io;
};

const std::string kQuestion = "File \"a.csv\" already exists!\rOverwrite?";

// The text of the progress line as last drawn.
std::string LastProgress(const std::string& err) {
    const std::string line = err.substr(0, err.find_last_not_of(" \n") + 1);
    return line.substr(line.rfind('\r') + 1);
}

} // namespace

TEST(ConsoleHost, InformationGoesToStdoutWarningsToStderr) {
    Console console;
    ConsoleHost host = console.Host();
    host.ShowInfo("first\rsecond\r\rlast");
    // A device's answer keeps its own line end, CR LF as one break.
    host.ShowInfo("transfer mode on\r\n");
    host.ShowWarning("TFTP put file failed!\r\rTimeout");
    EXPECT_EQ(console.out.str(), "first\nsecond\n\nlast\ntransfer mode on\n");
    EXPECT_EQ(console.err.str(), "TFTP put file failed!\n\nTimeout\n");
}

TEST(ConsoleHost, OverwriteIsAnsweredByYesByATerminalOrElseNo) {
    TransferSettings yes;
    yes.yes = true;
    Console allowed;
    EXPECT_TRUE(allowed.Host(yes).AskOverwrite(kQuestion));
    EXPECT_EQ(allowed.err.str(), "");

    Console piped(false, false, "y\n");
    EXPECT_FALSE(piped.Host().AskOverwrite(kQuestion))
        << "input that is no terminal is never taken as an answer";
    EXPECT_EQ(piped.err.str(), "File \"a.csv\" already exists!\nOverwrite?\n"
                               "Not overwritten; add --yes to replace it.\n");

    for (const auto& [typed, answer] : {std::pair{"y\n", true}, std::pair{"\n", false}}) {
        Console terminal(true, false, typed);
        EXPECT_EQ(terminal.Host().AskOverwrite(kQuestion), answer) << typed;
        EXPECT_EQ(terminal.err.str().rfind("File \"a.csv\" already exists!\nOverwrite? [y/N] ", 0),
                  0u);
    }
}

TEST(ConsoleHost, ProgressLineSpansTheActionsTransfersAndEndsBeforeAMessage) {
    Console console(false, true);
    ConsoleHost host = console.Host();
    // An image of 500 bytes and its companion of 30 on one line.
    host.ClientWorkBegin(530);
    host.ClientWork(500);
    host.ClientWorkEnd();
    host.ClientWorkBegin(std::nullopt);
    host.ClientWork(530);
    host.ShowWarning("failed");
    const std::string err = console.err.str();
    EXPECT_EQ(err.substr(err.size() - 8), "\nfailed\n");
    EXPECT_EQ(LastProgress(err.substr(0, err.size() - 7)).rfind("530 bytes of 530 bytes", 0), 0u)
        << err;

    for (const auto& [terminal, quiet] : {std::pair{true, true}, std::pair{false, false}}) {
        Console silent(false, terminal);
        TransferSettings settings;
        settings.quiet = quiet;
        ConsoleHost line = silent.Host(settings);
        line.ClientWorkBegin(1000);
        line.ClientWork(1000);
        line.ShowInfo("done");
        EXPECT_EQ(silent.err.str(), "") << "quiet or no terminal: no progress line";
    }
}

TEST(ConsoleHost, CtrlCPastThePointOfNoReturnIsNotedOnce) {
    Console console;
    ConsoleHost host = console.Host();
    host.ForbidCancel();
    EXPECT_TRUE(RequestCancel()) << "held, not ending the program";
    EXPECT_FALSE(host.Cancel().Requested());
    host.ClientWorkBegin(std::nullopt);
    host.ClientWork(10);
    EXPECT_EQ(console.err.str(),
              "quorvel-cli: this step can no longer be cancelled; it runs to its end\n");
}

TEST(ConsoleHost, ConnectionOptionsReachTheClient) {
    Console console;
    TransferSettings settings;
    settings.comPort = 35;
    settings.gapMs = 25;
    settings.timeoutSeconds = 16;
    ConsoleHost serial = console.Host(settings);
    const TIdTrivialFTP& line = serial.PrepareClient(Action::Get);
    EXPECT_EQ(line.Host, "") << "an empty host selects the serial line";
    EXPECT_EQ(line.Port, 35);
    EXPECT_EQ(line.SerialGapTimeout, 25);
    EXPECT_EQ(line.ReceiveTimeout, 16000);
    EXPECT_EQ(line.RequestedBlockSize, 512);

    settings = TransferSettings{};
    settings.host = "127.0.0.2";
    settings.port = 6969;
    settings.blockSize = 1024;
    ConsoleHost network = console.Host(settings);
    const TIdTrivialFTP& udp = network.PrepareClient(Action::Put);
    EXPECT_EQ(udp.Host, "127.0.0.2");
    EXPECT_EQ(udp.Port, 6969);
    EXPECT_EQ(udp.RequestedBlockSize, 1024) << "--blksize passed through";
}
