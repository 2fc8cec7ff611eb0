// The settings image: line syntax on loading, lookups, changes and the text written back.
#include "support/IniStore.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class IniImage : public ::testing::Test {
protected:
    IniStore Load(const std::string& content) {
        WriteFile(path_, content);
        return IniStore(path_);
    }
    std::string Saved(const IniStore& store) {
        store.Flush();
        return ReadFile(path_);
    }

    TempFolder temp_;
    const std::string path_ = temp_ / "quorvel.INI";
};

} // namespace

TEST_F(IniImage, NamesAndValuesAreTrimmedAndFoundWhateverTheirCase) {
    const IniStore store = Load("  [ Param ]  \r\n  Top = 50 \r\nDir= C:\\d = x \r\nempty=\r\n");
    EXPECT_EQ(store.Read("param", "TOP"), "50");
    EXPECT_EQ(store.Read("Param", "dir"), "C:\\d = x"); // the first "=" separates
    EXPECT_EQ(store.Read("Param", "empty"), "");
    EXPECT_EQ(store.Read("Param", "absent"), std::nullopt);
    EXPECT_EQ(store.Read("Other", "Top"), std::nullopt);
}

TEST_F(IniImage, CommentsBlankAndOrphanLinesAreDroppedBareLinesKept) {
    const IniStore store = Load("orphan=1\r\n; c\r\n[zel-codes]\r\n\r\n   \r\n1=Power on\r\n"
                                ";comment\r\n  ; c\r\n  bare line [x] \r\n2=Reset\r\n");
    EXPECT_EQ(store.Read("zel-codes", "bare line [x]"), std::nullopt);
    EXPECT_EQ(
        store.Section("zel-codes"),
        (std::vector<IniStore::Entry>{{"1", "Power on"}, {"bare line [x]", ""}, {"2", "Reset"}}));
    EXPECT_EQ(store.SectionLines("zel-codes"),
              (std::vector<std::string>{"1=Power on", "bare line [x]", "2=Reset"}));
    EXPECT_EQ(Saved(store), "[zel-codes]\r\n1=Power on\r\nbare line [x]\r\n2=Reset\r\n\r\n");
}

TEST_F(IniImage, LfAloneEndsALineAndBytesAreKept) {
    const std::string value = std::string("M\xFC"
                                          "ller\0x\x80",
                                          9);
    IniStore store = Load("[A]\nx=" + value + "\r\ny=2\n[B]\r\nz=3");
    EXPECT_EQ(store.Read("A", "x"), value);
    store.Write("B", "w", "\xE4");
    EXPECT_EQ(Saved(store), "[A]\r\nx=" + value + "\r\ny=2\r\n\r\n[B]\r\nz=3\r\nw=\xE4\r\n\r\n");
}

TEST_F(IniImage, WritesKeepOrderAndAppendNewOnesAtTheEndOfTheirSection) {
    IniStore store = Load("[Param]\r\nTOP=50\r\nLeft=5\r\n[zel]\r\n1=On\r\n[a]\r\nk=1\r\n[A]\r\n");
    store.Write("param", "Top", "60"); // takes the writer's spelling
    store.Write("Param", "Timeout", "4");
    store.Write("A", "K", "2"); // the first of two sections of one name
    store.Write("New", "p", "");
    EXPECT_EQ(Saved(store), "[Param]\r\nTop=60\r\nLeft=5\r\nTimeout=4\r\n\r\n[zel]\r\n1=On\r\n\r\n"
                            "[a]\r\nK=2\r\n\r\n[A]\r\n\r\n[New]\r\np=\r\n\r\n");
}

TEST_F(IniImage, MissingFileGivesAnEmptyImageAndAFolderCannotBeRead) {
    EXPECT_TRUE(IniStore(temp_ / "absent.INI").Section("Param").empty());
    EXPECT_FALSE(Exists(temp_ / "absent.INI"));
    EXPECT_THROW(IniStore(temp_.Path()), std::runtime_error);
}
