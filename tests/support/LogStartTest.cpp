// Start-up and end steps: marker files, debug level, start and end lines, data folder, fatal end.
#include "support/PathText.h"
#include "tests/support/LogFixture.h"

#include "support/FileNames.h"
#include "support/LogSetup.h"
#include "support/Platform.h"
#include "tests/kit/DebuggerCapture.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

const std::string kStart = "[Neustart Delphi-32 PC-Programm , DbgFlag=$";

std::string EndLine(int dbg, int exitCode, const std::string& location = "000000") {
    return "[Ende PC-Programm , (Dbg=" + std::to_string(dbg) + "), RT " + std::to_string(exitCode) +
           " at " + location + "]";
}

} // namespace

using LogStart = LogTest;

TEST_F(LogStart, WithoutMarkerNothingIsWrittenAnywhere) {
    // SAVE_ERR counts only in the working folder, and no marker counts as a folder.
    Marker("SAVE_ERR");
    std::filesystem::create_directory(FilePath(workDir_ + "SAVE_ERR"));
    std::filesystem::create_directory(FilePath(programDir_ + "DEBUG"));
    Start();
    WriteLog("a line");
    LogShutdown(0);
    EXPECT_FALSE(DebugOn());
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile())));
    EXPECT_FALSE(std::filesystem::exists(FilePath(workDir_ + "Problem2.TXT")));
}

TEST_F(LogStart, SaveErrDebug1AndDebugSpsLogWithLevelZero) {
    for (const std::string& marker :
         {workDir_ + "SAVE_ERR", programDir_ + "DEBUG1", programDir_ + "DEBUGSPS"}) {
        SCOPED_TRACE(marker);
        WriteFile(marker, "");
        Start();
        EXPECT_FALSE(DebugBit(8));
        WriteLog("window line");
        LogShutdown(0);
        EXPECT_EQ(Texts(), (Texts_t{" ", kStart + "00]", "window line", EndLine(0, 0)}));
        std::filesystem::remove(FilePath(marker));
        std::filesystem::remove(FilePath(LogFile()));
    }
}

TEST_F(LogStart, DebugLevelIsTheFirstWordOfTheDebugFile) {
    const struct {
        const char* content;
        int dbgFlag;
        const char* hex;
    } cases[] = {
        {"8", 8, "08"},           {" \r\n\t 8 more\r\n", 8, "08"},
        {"-1032", 1032, "08"},    {"300", 300, "2C"},
        {"$10", 16, "10"},        {"0x10", 16, "10"},
        {"abc", 1, "01"},         {"12a", 1, "01"},
        {"99999999999", 1, "01"}, {"", 0, "00"},
        {" \r\n ", 0, "00"},      {"-2147483648", INT32_MAX, "FF"},
    };
    SaveErrInWorkingFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("DEBUG holds \"") + c.content + "\"");
        Marker("DEBUG", c.content);
        Start();
        EXPECT_EQ(DebugOn(), c.dbgFlag != 0);
        EXPECT_EQ(DebugBit(8), (c.dbgFlag & 8) != 0);
        LogShutdown(0);
        EXPECT_EQ(Texts(), (Texts_t{" ", kStart + c.hex + "]", EndLine(c.dbgFlag, 0)}));
        std::filesystem::remove(FilePath(LogFile()));
    }
}

TEST_F(LogStart, LevelFrom1024SendsWholeLinesToTheDebuggerOutputOnly) {
    Marker("DEBUG", "1032");
    SaveErrInWorkingFolder();
    Start();
    EXPECT_TRUE(DebugBit(1024));
    const std::string longLine(300, 'x');
    DebuggerCapture debugger;
    WriteLog(longLine);
    EXPECT_EQ(debugger.Lines(), std::vector<std::string>{longLine});
    LogShutdown(0);
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile())));
}

TEST_F(LogStart, EndLineCarriesExitCodeAndLocation) {
    Marker("DEBUG", "8");
    Start();
    LogShutdown(-1073741819, false, 0x12345678);
    EXPECT_EQ(Texts().back(), EndLine(8, -1073741819, "345678"));
}

TEST_F(LogStart, FatalEndWritesTheEndLineEvenWithoutMarker) {
    Start();
    LogShutdown(3, true, 0xABC);
    WriteLog("after the end");
    EXPECT_EQ(Texts(), (Texts_t{EndLine(0, 3, "000ABC")}));
}

TEST_F(LogStart, UnhandledExceptionEndsWithReasonEndLineAndExitCode) {
    // On Windows the dying statement runs in a new copy of the test program that goes through
    // the whole test again, with folders of its own; the environment tells it this test's.
    if (!::testing::internal::InDeathTestChild())
        SetEnv("QUORVEL_DEATH_TEST_PROGRAM", programDir_ + "quorvel");
    EXPECT_EXIT(
        {
            LogStartupAt(std::getenv("QUORVEL_DEATH_TEST_PROGRAM"));
            InstallFatalErrorHook();
            // An exception leaving a thread's function reaches no handler at all.
            std::thread([] { throw std::runtime_error("device\r\ngone"); }).join();
        },
        ::testing::ExitedWithCode(kFatalExitCode), "");
    EXPECT_EQ(Texts(), (Texts_t{"Fatal error: unhandled exception: device|{10}gone",
                                EndLine(0, kFatalExitCode, "FFFFFF")}));
}

TEST_F(LogStart, DataFolderIsCreatedEmptyAndItsFailureIsSilent) {
    LogStartupAt(programDir_ + "tool.exe");
    const std::string dataFolder = DataFolderFor(
        platform::AllUsersDataFolder(), platform::UserDataFolder(), programDir_, "tool.exe");
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder)) << dataFolder;
    EXPECT_EQ(ProgramDir(), programDir_);
    if (!platform::AllUsersDataFolder().empty())
        return; // Windows: the all-users folder is the system's, no test can spoil it

    EXPECT_EQ(dataFolder, temp_ / "xdg/Xqd/tool/");
    std::filesystem::remove_all(FilePath(temp_ / "xdg"));
    WriteFile(temp_ / "xdg", "a file where the folder should be");
    SaveErrInWorkingFolder();
    Start();
    EXPECT_EQ(Texts().size(), 2u);
}

TEST(DataFolder, FallsBackOnShortPaths) {
    const std::string s(1, kPathSeparator);
    EXPECT_EQ(DataFolderFor("/srv/all", "/home/u/.local/share", "/opt/q/", "/opt/q/quorvel"),
              "/srv/all" + s + "Xqd" + s + "quorvel" + s);
    EXPECT_EQ(DataFolderFor("", "/home/u/.local/share", "/opt/q/", "/opt/q/quorvel.bin"),
              "/home/u/.local/share" + s + "Xqd" + s + "quorvel" + s);
    EXPECT_EQ(DataFolderFor("/all", "/u/", "/opt/q/", "/opt/q/a.b.exe"),
              "/opt/q/Xqd" + s + "a.b" + s);
}

#ifdef _WIN32
TEST(DataFolder, WindowsPathsWithEitherSeparatorAndDriveLetters) {
    EXPECT_EQ(DataFolderFor("C:\\ProgramData", "", "D:\\q\\", "D:\\q\\quorvel.exe"),
              "C:\\ProgramData\\Xqd\\quorvel\\");
    EXPECT_EQ(DataFolderFor("C:/ProgramData/", "", "", "D:/q/quorvel.exe"),
              "C:/ProgramData/Xqd\\quorvel\\");
    EXPECT_EQ(DataFolderFor("", "", "D:\\q\\", "D:quorvel.exe"), "D:\\q\\Xqd\\quorvel\\");
}
#endif
