// The settings image: line syntax on loading, lookups, changes and the text written back.
#include "support/IniStore.h"
#include "support/PathText.h"
#include "tests/kit/TempFolder.h"

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

TEST_F(IniImage, CommentsBlankAndLeadingLinesStayWhereTheyStandBareLinesAreEntries) {
    const std::string content = "orphan=1\r\n; c\r\n[zel-codes]\r\n\r\n   \r\n1=Power on\r\n"
                                ";comment\r\n  ; c\r\nbare line [x]\r\n2=Reset\r\n\r\n";
    const IniStore store = Load(content);
    EXPECT_EQ(store.Read("zel-codes", "bare line [x]"), std::nullopt);
    EXPECT_EQ(
        store.Section("zel-codes"),
        (std::vector<IniStore::Entry>{{"1", "Power on"}, {"bare line [x]", ""}, {"2", "Reset"}}));
    EXPECT_EQ(store.SectionLines("zel-codes"),
              (std::vector<std::string>{"1=Power on", "bare line [x]", "2=Reset"}));
    EXPECT_EQ(Saved(store), content);
}

// Technicians keep notes in the file and often save it with an editor that writes a byte-order
// mark; neither may cost them their tables, nor may blank lines pile up over many saves.
TEST_F(IniImage, HandEditedFileKeepsMarkNotesAndPlacesOverRepeatedSaves) {
    const std::string content = "\xEF\xBB\xBF[zel-codes]\r\n; from the manual\r\n1=On\r\n;2=Off\r\n"
                                "\r\n\r\n; window keys, written by the program\r\n[Param]\r\n"
                                "; position\r\nTop=1\r\n\r\n; below: by hand\r\n[x]\r\nk=v";
    const std::string expected =
        "\xEF\xBB\xBF[zel-codes]\r\n; from the manual\r\n1=On\r\n;2=Off\r\n"
        "\r\n\r\n; window keys, written by the program\r\n[Param]\r\n"
        "; position\r\nTop=9\r\nLeft=2\r\n\r\n; below: by hand\r\n[x]\r\n"
        "k=v\r\n\r\n[New]\r\np=\r\n\r\n";
    WriteFile(path_, content);
    for (int save = 0; save < 3; ++save) {
        IniStore store(path_);
        EXPECT_EQ(store.SectionLines("zel-codes"), std::vector<std::string>{"1=On"});
        store.Write("Param", "Top", "9");
        store.Write("Param", "Left", "2");
        store.Write("New", "p", "");
        EXPECT_EQ(Saved(store), expected) << "save " << save;
    }
    EXPECT_EQ(Saved(Load("[a]\r\nk=1\r\n")), "[a]\r\nk=1\r\n\r\n") << "no mark of its own";
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
    EXPECT_FALSE(std::filesystem::exists(temp_ / "absent.INI"));
    EXPECT_THROW(IniStore(PathText(temp_.Path())), std::runtime_error);
}
