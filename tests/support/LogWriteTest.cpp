// WriteLog: line format, time stamp, escaping, repeat folding, file letters, concurrent callers.
#include "support/PathText.h"
#include "tests/support/LogFixture.h"

#include <thread>

using namespace std::string_literals;

namespace {

class LogWrite : public LogTest {
protected:
    void SetUp() override {
        LogTest::SetUp();
        SaveErrInWorkingFolder();
        Start();
        std::filesystem::remove(FilePath(LogFile())); // without the start lines
    }
    void TearDown() override {
        LogShutdown(0);
        LogTest::TearDown();
    }
};

} // namespace

TEST_F(LogWrite, LineIsStampTwoBlanksAndTheTextInArrows) {
    WriteLog("hello");
    EXPECT_EQ(ReadFile(LogFile()), "07.12.2026 13:05:12-25  >hello<\r\n");
}

TEST_F(LogWrite, StampLeavesOutTheTimeOnlyAtExactMidnightAndRoundsHundredths) {
    const auto midnight = std::chrono::sys_days{std::chrono::year{2026} / 12 / 8};
    EXPECT_EQ(LogTimeStamp(midnight, midnight), "08.12.2026-00");
    EXPECT_EQ(LogTimeStamp(midnight + 10ms, midnight + 4999us), "08.12.2026 00:00:00-00");
    EXPECT_EQ(LogTimeStamp(midnight - 1s, midnight + 994999us), "07.12.2026 23:59:59-99");
    // Date and hundredths come from two clock readings; the second one here rounds up to 100.
    SetNow(At(744ms), 1ms);
    WriteLog("x");
    EXPECT_EQ(ReadFile(LogFile()), "07.12.2026 13:05:12-100  >x<\r\n");
}

TEST_F(LogWrite, ControlCharactersAreEscapedAndHighBytesKept) {
    WriteLog("RS+:\x01\0\t\xFE\x80|{}\r\n"s);
    EXPECT_EQ(Texts(), (Texts_t{"RS+:{1}{0}{9}\xFE\x80|{}|{10}"}));
}

TEST_F(LogWrite, RepeatsWithinTheWindowAreFoldedIntoASummary) {
    for (const char* text : {"same", "same", "same", "other"}) {
        WriteLog(text);
    }
    EXPECT_EQ(Texts(), (Texts_t{"same", "[2* Wiederholung]", "other"}));
}

TEST_F(LogWrite, WindowRunsFromTheFirstOccurrenceNotTheLatestRepeat) {
    for (const auto offset : {0s, 100s, 240s, 241s, 300s}) {
        SetNow(At(offset));
        WriteLog("poll");
    }
    WriteLog("next");
    EXPECT_EQ(Texts(), (Texts_t{"poll", "[2* Wiederholung]", "poll", "[1* Wiederholung]", "next"}));
}

TEST_F(LogWrite, LinesThatAreNotFoldedAreAllWritten) {
    WriteLog("a");
    SetNow(At(-1h)); // a clock that went back does not hold lines back
    WriteLog("a");
    WriteLog(""); // writes nothing but breaks the repeat
    WriteLog("a");
    SetSuppressRepeats(false);
    WriteLog("a");
    EXPECT_EQ(Texts(), (Texts_t{"a", "a", "a", "a"}));
}

TEST_F(LogWrite, FileLetterSelectsAParallelFileAndCountsAsNew) {
    WriteLog("x");
    WriteLog("x");
    WriteLog("x", 'S'); // flushes the summary to its own file, and is not folded
    WriteLog("own", 'T');
    EXPECT_EQ(Texts("Problem2.TXS"), (Texts_t{"[1* Wiederholung]", "x"}));
    EXPECT_EQ(Texts(), (Texts_t{"x", "own"}));
}

TEST_F(LogWrite, UnwritableLogFileLosesTheLineSilently) {
    std::filesystem::create_directory(FilePath(LogFile()));
    WriteLog("lost");
    std::filesystem::remove(FilePath(LogFile()));
    WriteLog("kept");
    EXPECT_EQ(Texts(), (Texts_t{"kept"}));
}

TEST_F(LogWrite, ConcurrentCallersWriteWholeLinesInTheirOrder) {
    SetSuppressRepeats(false);
    constexpr int kThreads = 4;
    constexpr int kLines = 100; // stays below the rotation limit
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                WriteLog(std::to_string(t) + " line " + std::to_string(i) + std::string(20, 'x'));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const auto& text : texts) {
        const int t = text[0] - '0';
        ASSERT_EQ(text, std::to_string(t) + " line " +
                            std::to_string(next[static_cast<std::size_t>(t)]++) +
                            std::string(20, 'x'));
    }
}
