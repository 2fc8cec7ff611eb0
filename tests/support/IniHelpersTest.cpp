// The one-line settings helpers: reading with defaults, writing, and the run of calls that
// shares one image and ends with release; the run object the settings routine reads like.
#include "support/IniRun.h"
#include "support/PathText.h"
#include "support/Tr_Util.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class IniHelpers : public ::testing::Test {
protected:
    IniHelpers() {
        WriteFile(path_, "[Param]\r\nflag2=2\r\nabc=abc\r\nhex=0x10\r\ndollar=$10\r\nHEXUP=0X10\r\n"
                         "bad=12a\r\nbig=2147483648\r\nempty=\r\n[Other]\r\nflag2=0\r\n");
    }
    bool Bool(bool value, const std::string& key, const std::string& section = "") {
        return IniBool(value, store_, false, path_, section, key, false, false);
    }
    std::int32_t Int(std::int32_t value, const std::string& key) {
        return IniInteger(value, store_, false, path_, "", key, false, false);
    }
    std::string Text(const std::string& value, const std::string& key) {
        return IniString(value, store_, false, path_, "", key, false, false);
    }

    TempFolder temp_;
    const std::string path_ = temp_ / "quorvel.INI";
    IniStoreRef store_;
};

} // namespace

TEST_F(IniHelpers, ReadingFallsBackToTheDefaultOnlyWhenAbsentOrUnusable) {
    EXPECT_TRUE(Bool(false, "flag2"));
    EXPECT_FALSE(Bool(true, "flag2", "Other"));
    EXPECT_TRUE(Bool(true, "abc"));
    EXPECT_FALSE(Bool(false, "abc"));
    EXPECT_TRUE(Bool(true, "absent"));
    EXPECT_EQ(Int(0, "hex") + Int(0, "dollar") + Int(0, "hexup"), 48);
    EXPECT_EQ(Int(99, "bad"), 99);
    EXPECT_EQ(Int(99, "big"), 99);
    EXPECT_EQ(Int(99, "empty"), 99);
    EXPECT_EQ(Text("default", "empty"), "");
    EXPECT_EQ(Text("default", "absent"), "default");
    EXPECT_EQ(IniInteger(0, store_, false, path_, "Param", "hex", false, false), 16);
}

TEST_F(IniHelpers, WritesStoreTheirTextUnderParamAndReturnTheValue) {
    EXPECT_TRUE(IniBool(true, store_, true, path_, "", "yes", false, false));
    EXPECT_FALSE(IniBool(false, store_, true, path_, "", "no", false, false));
    EXPECT_EQ(IniInteger(-42, store_, true, path_, "", "int", false, false), -42);
    EXPECT_EQ(IniString(" pad ", store_, true, path_, "", "text", false, false), " pad ");
    EXPECT_EQ(store_->Read("Param", "yes"), "1");
    EXPECT_EQ(store_->Read("Param", "no"), "0");
    EXPECT_EQ(store_->Read("Param", "int"), "-42");
    EXPECT_EQ(Int(0, "yes"), 1);
}

TEST_F(IniHelpers, WriteRunTouchesTheDiskOnlyWhenReleased) {
    const std::string before = ReadFile(path_);
    IniInteger(100, store_, true, path_, "", "Top", false, false);
    IniString("x", store_, true, path_, "New", "k", false, false);
    EXPECT_EQ(ReadFile(path_), before);
    IniString("", store_, false, path_, "", "p", true, false); // a read frees without writing
    EXPECT_EQ(store_, nullptr);
    EXPECT_EQ(ReadFile(path_), before);

    IniInteger(100, store_, true, path_, "", "Top", false, false);
    IniString("", store_, true, path_, "", "p", true, false);
    EXPECT_EQ(store_, nullptr);
    const IniStore saved(path_);
    EXPECT_EQ(saved.Read("Param", "Top"), "100");
    EXPECT_EQ(saved.Read("Param", "p"), "");
    EXPECT_EQ(saved.Read("Other", "flag2"), "0"); // what the run never mentioned survives
}

TEST_F(IniHelpers, ReleaseWithRecreateReloadsTheFileJustWritten) {
    IniInteger(7, store_, true, path_, "", "Top", true, true);
    ASSERT_NE(store_, nullptr);
    EXPECT_EQ(store_->Read("Param", "Top"), "7");
    IniBool(false, store_, false, path_, "", "x", true, false);
    WriteFile(path_, "[Param]\r\nTop=8\r\n");
    EXPECT_EQ(Int(0, "Top"), 8); // the next call loads the file afresh
}

TEST_F(IniHelpers, FailuresReachTheCallerAndKeepTheFile) {
    std::filesystem::permissions(FilePath(path_), std::filesystem::perms(0444));
    const std::string before = ReadFile(path_);
    EXPECT_THROW(IniString("", store_, true, path_, "", "p", true, false), std::runtime_error);
    EXPECT_EQ(ReadFile(path_), before);
    store_.reset();
    EXPECT_THROW(IniInteger(0, store_, false, PathText(temp_.Path()), "", "Top", false, false),
                 std::runtime_error);
}

// The settings routine's run: one line per key in either direction, one write at the end.
TEST_F(IniHelpers, RunLoadsIntoItsVariablesAndSavesOnlyWhenFinished) {
    bool flag = false;
    std::int32_t number = 7;
    std::string text = "default";
    IniRun load(path_, false);
    load.Bool("flag2", flag);
    load.Integer("absent", number);
    load.String("abc", text);
    load.EmptyKey("p");
    EXPECT_EQ(load.SectionLines("Other"), std::vector<std::string>{"flag2=0"});
    load.Finish();
    EXPECT_TRUE(flag);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(text, "abc");

    const std::string before = ReadFile(path_);
    {
        IniRun abandoned(path_, true); // a failure left it without Finish
        abandoned.Integer("Top", number);
    }
    EXPECT_EQ(ReadFile(path_), before);
    IniRun save(path_, true);
    save.Integer("Top", number);
    save.EmptyKey("p");
    EXPECT_EQ(ReadFile(path_), before);
    save.Finish();
    const IniStore saved(path_);
    EXPECT_EQ(saved.Read("Param", "Top"), "7");
    EXPECT_EQ(saved.Read("Param", "p"), "");
    EXPECT_EQ(saved.Read("Param", "abc"), "abc");
}
