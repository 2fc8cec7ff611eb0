// Rotation of the log files: the size limit, the three file states, the start and end phase.
#include "support/PathText.h"
#include "tests/support/LogFixture.h"

namespace {

class LogRotation : public LogTest {
protected:
    void TearDown() override {
        LogShutdown(0);
        LogTest::TearDown();
    }
    // Fills a log file so that it holds exactly size bytes once text has been logged into it.
    void LogEndingAt(std::size_t size, const std::string& text, char letter = 0) {
        const std::size_t line = LogTimeStamp(At(), At()).size() + 3 + text.size() + 3;
        WriteFile(LogFile(letter ? std::string("Problem2.TX") + letter : "Problem2.TXT"),
                  std::string(size - line, '.'));
        WriteLog(text, letter);
    }
    std::string Last(const std::string& name) const { return Texts(name).back(); }
};

} // namespace

TEST_F(LogRotation, FileOfExactlyTheLimitStaysOneByteMoreRotates) {
    SaveErrInWorkingFolder();
    Start();
    LogEndingAt(40000, "line");
    EXPECT_EQ(std::filesystem::file_size(FilePath(LogFile())), 40000u);
    LogEndingAt(40001, "next");
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile())));
    EXPECT_EQ(std::filesystem::file_size(FilePath(LogFile("Problem1.TXT"))), 40001u);
}

TEST_F(LogRotation, DebugLevelDoublesTheLimit) {
    Marker("DEBUG", "8");
    Start();
    LogEndingAt(80000, "line");
    EXPECT_TRUE(std::filesystem::exists(FilePath(LogFile())));
    LogEndingAt(80001, "next");
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile())));
}

TEST_F(LogRotation, OldestFileKeepsTheFirstOverflowForever) {
    SaveErrInWorkingFolder();
    Start();
    LogEndingAt(40001, "first"); // only the current file: it becomes the previous one
    EXPECT_EQ(Last("Problem1.TXT"), "first");
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile("Problem0.TXT"))));
    LogEndingAt(40001, "second"); // previous becomes oldest, current becomes previous
    EXPECT_EQ(Last("Problem0.TXT"), "first");
    EXPECT_EQ(Last("Problem1.TXT"), "second");
    LogEndingAt(40001, "third"); // all three: the previous one is discarded
    EXPECT_EQ(Last("Problem0.TXT"), "first");
    EXPECT_EQ(Last("Problem1.TXT"), "third");
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile())));
}

TEST_F(LogRotation, StartAndEndLinesNeverRotate) {
    SaveErrInWorkingFolder();
    WriteFile(LogFile(), std::string(50000, '.'));
    Start();
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile("Problem1.TXT"))));
    WriteLog("ordinary");
    EXPECT_EQ(Last("Problem1.TXT"), "ordinary");
    WriteFile(LogFile(), std::string(50000, '.'));
    LogShutdown(0);
    EXPECT_EQ(Last("Problem2.TXT"), "[Ende PC-Programm , (Dbg=0), RT 0 at 000000]");
}

TEST_F(LogRotation, LetterFamilyRotatesOnItsOwn) {
    SaveErrInWorkingFolder();
    Start();
    LogEndingAt(40001, "serial", 'S');
    EXPECT_EQ(Last("Problem1.TXS"), "serial");
    EXPECT_FALSE(std::filesystem::exists(FilePath(LogFile("Problem1.TXT"))));
}
