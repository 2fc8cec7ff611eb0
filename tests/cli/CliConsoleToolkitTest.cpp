// The console toolkit under the window's logic: where messages go and what they make of the exit
// status, how questions are answered, the progress line made from the window's progress bar, and
// the connection controls set from the command line as the client then sees them.
#include "cli/ConsoleForm.h"
#include "tftp/IdTrivialFTP.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Console {
    explicit Console(bool inTerminal = false, bool errTerminal = false, std::string input = "")
        : in(std::move(input)), io{in, out, err, inTerminal, errTerminal} {}

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliIo io;
};

MessageRequest Box(MessageKind kind, std::string text) {
    return MessageRequest{.caption = "Quorvel",
                          .text = std::move(text),
                          .kind = kind,
                          .buttons = {MessageButton::Ok}};
}

MessageRequest OverwriteQuestion() {
    return MessageRequest{.caption = "Question",
                          .text = "File \"a.csv\" already exists!\rOverwrite?",
                          .kind = MessageKind::Confirmation,
                          .buttons = {MessageButton::Yes, MessageButton::No},
                          .systemPlaced = true};
}

// The text of the progress line as last drawn.
std::string LastProgress(const std::string& err) {
    const std::string line = err.substr(0, err.find_last_not_of(" \n") + 1);
    return line.substr(line.rfind('\r') + 1);
}

} // namespace

TEST(ConsoleToolkit, InformationGoesToStdoutWarningsToStderrAndFail) {
    Console console;
    ConsoleToolkit ui(console.io, {});
    EXPECT_EQ(ui.ShowMessage(Box(MessageKind::Custom, "first\rsecond\r\rlast")), MessageButton::Ok);
    EXPECT_FALSE(ui.Failed()) << "information is no failure";
    // A device's answer keeps its own line end, CR LF as one break.
    ui.ShowMessage(Box(MessageKind::Custom, "transfer mode on\r\n"));
    EXPECT_EQ(console.out.str(), "first\nsecond\n\nlast\ntransfer mode on\n");
    EXPECT_EQ(ui.LastInformation(), "transfer mode on\r\n");
    EXPECT_EQ(console.err.str(), "");

    ui.ShowMessage(Box(MessageKind::Warning, "TFTP put file failed!\r\rTimeout"));
    EXPECT_TRUE(ui.Failed());
    EXPECT_EQ(console.err.str(), "TFTP put file failed!\n\nTimeout\n");
}

TEST(ConsoleToolkit, QuestionIsAnsweredByYesByATerminalOrElseNo) {
    {
        Console console;
        ConsoleToolkit ui(console.io, {.yes = true});
        EXPECT_EQ(ui.ShowMessage(OverwriteQuestion()), MessageButton::Yes);
        EXPECT_EQ(console.err.str(), "");
        EXPECT_FALSE(ui.Failed());
    }
    {
        Console console(false, false, "y\n");
        ConsoleToolkit ui(console.io, {});
        EXPECT_EQ(ui.ShowMessage(OverwriteQuestion()), MessageButton::No)
            << "input that is no terminal is never taken as an answer";
        EXPECT_EQ(console.err.str(), "File \"a.csv\" already exists!\nOverwrite?\n"
                                     "Not overwritten; add --yes to replace it.\n");
        EXPECT_TRUE(ui.Failed());
    }
    for (const auto& [typed, answer] :
         {std::pair{"y\n", MessageButton::Yes}, std::pair{"\n", MessageButton::No}}) {
        Console console(true, false, typed);
        ConsoleToolkit ui(console.io, {});
        EXPECT_EQ(ui.ShowMessage(OverwriteQuestion()), answer) << typed;
        EXPECT_EQ(ui.Failed(), answer == MessageButton::No) << typed;
        EXPECT_EQ(console.err.str().rfind("File \"a.csv\" already exists!\nOverwrite? [y/N] ", 0),
                  0u);
    }
}

TEST(ConsoleToolkit, ProgressLineFollowsTheBarAcrossItsWraps) {
    Console console(false, true);
    ConsoleToolkit ui(console.io, {});
    // A download: the bar counts on 10000 bytes and starts over.
    ui.SetVisible(Control::ProgressBar1, true);
    ui.SetMaximum(Control::ProgressBar1, 10000);
    for (int position : {5000, 9000, 2000, 2000, 6000}) {
        ui.SetValue(Control::ProgressBar1, position);
    }
    ui.SetVisible(Control::ProgressBar1, false);
    EXPECT_EQ(LastProgress(console.err.str()).rfind("15.6 KiB", 0), 0u) << console.err.str();
    EXPECT_EQ(console.err.str().back(), '\n');

    // An upload of 1000 bytes: the bar's maximum is one more.
    console.err.str("");
    ui.SetValue(Control::ProgressBar1, 0);
    ui.SetVisible(Control::ProgressBar1, true);
    ui.SetMaximum(Control::ProgressBar1, 1001);
    ui.SetValue(Control::ProgressBar1, 512);
    ui.SetValue(Control::ProgressBar1, 1000);
    // A message ends the line before it is shown.
    ui.ShowMessage(Box(MessageKind::Warning, "failed"));
    const std::string err = console.err.str();
    EXPECT_EQ(err.substr(err.size() - 8), "\nfailed\n");
    EXPECT_EQ(LastProgress(err.substr(0, err.size() - 7)).rfind("1000 bytes of 1000 bytes", 0), 0u)
        << err;
}

TEST(ConsoleToolkit, NoProgressLineWhenQuietOrStderrIsNoTerminal) {
    for (const auto& [terminal, quiet] : {std::pair{true, true}, std::pair{false, false}}) {
        Console console(false, terminal);
        ConsoleToolkit ui(console.io, {.quiet = quiet});
        ui.SetVisible(Control::ProgressBar1, true);
        ui.SetMaximum(Control::ProgressBar1, 1001);
        ui.SetValue(Control::ProgressBar1, 1000);
        ui.SetVisible(Control::ProgressBar1, false);
        EXPECT_EQ(console.err.str(), "");
    }
}

TEST(ConsoleForm, ConnectionOptionsReachTheClientAsTheWindowHandsThemOver) {
    Console console;
    TransferSettings settings;
    settings.comPort = 35;
    settings.gapMs = 25;
    settings.timeoutSeconds = 16;
    ConsoleForm serial(console.io, {}, "unused.INI");
    serial.Connect(settings);
    serial.Form().PrepareTransfer(0);
    const TIdTrivialFTP& line = *serial.Form().Client;
    EXPECT_EQ(line.Host, "") << "an empty host selects the serial line";
    EXPECT_EQ(line.Port, 35);
    EXPECT_EQ(line.SerialGapTimeout, 25);
    EXPECT_EQ(line.ReceiveTimeout, 16000);
    EXPECT_EQ(line.RequestedBlockSize, 512);

    ConsoleForm network(console.io, {}, "unused.INI");
    settings = TransferSettings{};
    settings.host = "127.0.0.2";
    settings.port = 6969;
    settings.timeoutSeconds = 1;
    network.Connect(settings);
    network.Form().PrepareTransfer(0);
    const TIdTrivialFTP& udp = *network.Form().Client;
    EXPECT_EQ(udp.Host, "127.0.0.2");
    EXPECT_EQ(udp.Port, 6969);
    EXPECT_EQ(udp.ReceiveTimeout, 1000);
}
