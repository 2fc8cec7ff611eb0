// quorvel-cli's command line and console helpers; nothing here sends a packet.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressLine.h"
#include "tests/cli/CliTestKit.h"

#include <gtest/gtest.h>

TEST(CliUsage, MistakesExitWithTwoAndAHint) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"fetch", "x", "--host", "127.0.0.1"},
        {"get", "x"}, // no host: nothing may go to an address nobody chose
        {"get", "x", "--host", ""},
        {"get", "--host", "127.0.0.1"},
        {"get", "a", "b", "c", "--host", "127.0.0.1"},
        {"get", "x", "--host", "127.0.0.1", "--port", "0"},
        {"get", "x", "--host", "127.0.0.1", "--port", "65536"},
        // More than 32 bits: refused like any other wrong number, on every system.
        {"get", "x", "--host", "127.0.0.1", "--port", "9999999999"},
        {"get", "x", "--host", "127.0.0.1", "--timeout", "99999999999999999999999"},
        {"get", "x", "--host", "127.0.0.1", "--timeout", "0"},
        {"get", "x", "--host", "127.0.0.1", "--timeout", "17"},
        {"get", "x", "--host", "127.0.0.1", "--blksize", "7"},
        {"get", "x", "--host", "127.0.0.1", "--blksize", "65465"},
        {"get", "x", "--host", "127.0.0.1", "--blksize", "1k"},
        {"get", "x", "--host", "127.0.0.1", "--colour"},
        {"get", "x", "--host"},
        {"get", "dir/", "--host", "127.0.0.1"}, // no file name to store under
        {"get", "..", "--host", "127.0.0.1"},
        {"put", "", "--host", "127.0.0.1"},
        {"put", "folder/", "--host", "127.0.0.1"},
        // The serial line: exactly one way to the device, and only its own settings.
        {"get", "x", "--host", "127.0.0.1", "--com", "3"},
        {"get", "x", "--com", "0"},
        {"get", "x", "--com", "256"},
        {"get", "x", "--com", "COM3"},
        {"get", "x", "--com", "3", "--port", "69"},
        {"get", "x", "--com", "3", "--gap", "0"},
        {"put", "x", "--host", "127.0.0.1", "--gap", "10"},
        {"convert"},
        {"convert", "", "out.csv"},
        {"convert", "a.zel", "b.csv", "c"},
        {"convert", "a.zel", "--host", "127.0.0.1"},
        {"convert", "a.zel", "--settings", "/no/such/quorvel.INI"},
        // Many devices: named by a list or by serial lines, never by --host.
        {"put", "x", "--host", "127.0.0.1", "--report", "r.csv"},
        {"put", "x", "--hosts", "/no/such/list.txt"},
        {"put", "x", "--com", "3,3"},
        {"get", "x", "--com", "3,5"}, // FOLDER is missing
        {"logger", "/no/such/folder", "--com", "3,5"},
        {"convert", "a.zel", "--hosts", "list.txt"},
    };
    for (const auto& args : wrong) {
        const CliRun run = RunCliWith(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err.find("quorvel-cli --help"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliUsage, HelpDescribesEveryCommandAndExitsWithZero) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"get", "--help"}, {"put", "x", "-h"}}) {
        const CliRun run = RunCliWith(args);
        EXPECT_EQ(run.status, 0);
        for (const char* text : {"get REMOTE [LOCAL]", "put LOCAL [REMOTE]", "convert ZEL [CSV]",
                                 "--host", "--port", "--com", "--gap", "QUORVEL_COM", "--timeout",
                                 "--blksize", "--yes", "--quiet", "--include-empty", "--settings",
                                 "--hosts", "--jobs", "--report", "--only-failed", "--json"}) {
            EXPECT_NE(run.out.find(text), std::string::npos) << text;
        }
    }
}

TEST(CliNames, DeviceNamePartDropsFoldersAndDrives) {
    EXPECT_EQ(DeviceNamePart("plog.zel"), "plog.zel");
    EXPECT_EQ(DeviceNamePart("logs/plog.zel"), "plog.zel");
    EXPECT_EQ(DeviceNamePart("C:\\temp\\Report.TXT"), "Report.TXT");
    EXPECT_EQ(DeviceNamePart("D:cfg.bin"), "cfg.bin");
    EXPECT_EQ(DeviceNamePart("../.."), "");
    EXPECT_EQ(DeviceNamePart("dir/"), "");
}

TEST(CliConsole, OnlyAnAnswerStartingWithYIsYes) {
    const auto ask = [](const std::string& typed) {
        std::istringstream in(typed);
        std::ostringstream out;
        std::ostringstream err;
        CliIo io{in, out, err, true, false};
        const bool yes = AskYesNo(io, "File \"x\" already exists!\rOverwrite?");
        EXPECT_EQ(err.str().rfind("File \"x\" already exists!\nOverwrite? [y/N] ", 0), 0u);
        return yes;
    };
    EXPECT_TRUE(ask("y\n"));
    EXPECT_TRUE(ask("  Yes\n"));
    EXPECT_FALSE(ask("n\n"));
    EXPECT_FALSE(ask("\n"));
    EXPECT_FALSE(ask("")); // end of input
    EXPECT_FALSE(ask("ja\n"));
}

TEST(CliProgress, ShowsBytesTotalAndRate) {
    EXPECT_EQ(FormatProgress(0, 0, 0), "0 bytes");
    EXPECT_EQ(FormatProgress(1536, 0, 1000), "1.5 KiB  1.5 KiB/s");
    EXPECT_EQ(FormatProgress(1048576, 3145728, 2000), "1.0 MiB of 3.0 MiB  512.0 KiB/s");
}

TEST(CliProgress, EnabledLineRedrawsInPlaceAndEndsTheLine) {
    std::ostringstream err;
    ProgressLine line(err, true);
    line.Begin(0);
    line.Update(512);
    line.Finish();
    EXPECT_EQ(err.str().front(), '\r');
    EXPECT_EQ(err.str().back(), '\n');
    EXPECT_NE(err.str().find("512 bytes"), std::string::npos);
}
