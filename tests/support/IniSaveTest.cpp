// Saving the settings image: the old file is replaced only by a complete new one; a read-only
// file, a bad place or a failure half-way leave it exactly as it was, without stray files.
#include "support/IniStore.h"
#include "support/PathText.h"
#include "tests/kit/FileSizeLimit.h"
#include "tests/kit/OrdinaryUser.h"
#include "tests/kit/PlatformFacts.h"
#include "tests/kit/TempFolder.h"
#include "tests/kit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

class IniSave : public ::testing::Test {
protected:
    IniSave() { WriteFile(path_, kOld); }
    void TearDown() override {
        for (const auto& entry : std::filesystem::directory_iterator(temp_.Path())) {
            EXPECT_EQ(PathText(entry.path()).find(".tmp"), std::string::npos) << entry.path();
        }
    }
    static IniStore Changed(const std::string& path) {
        IniStore store(path);
        store.Write("Param", "Top", std::string(20000, '7'));
        return store;
    }
    std::string FailureOf(const IniStore& store) {
        try {
            store.Flush();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no failure";
    }

    // Saves Top as an ordinary user: exit status 0 saved, 1 failed, kNoOrdinaryUser.
    int SaveAsOrdinaryUser(const std::string& top) {
        return RunAsOrdinaryUser(PathText(temp_.Path()).c_str(), [&] {
            try {
                IniStore store(path_);
                store.Write("Param", "Top", top);
                store.Flush();
                return 0;
            } catch (...) {
                return 1;
            }
        });
    }

    static inline const std::string kOld = "[Param]\r\nTop=50\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n";
    TempFolder temp_;
    const std::string path_ = temp_ / "quorvel.INI";
};

} // namespace

TEST_F(IniSave, SaveReplacesTheFileKeepingItsPermissionsAndOtherSections) {
    // Windows knows only "read-only or not"; what the system kept of 0640 must stay.
    fs::permissions(FilePath(path_),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms before = fs::status(FilePath(path_)).permissions();
    Changed(path_).Flush();
    EXPECT_EQ(IniStore(path_).Read("Param", "Top"), std::string(20000, '7'));
    EXPECT_EQ(IniStore(path_).Read("zel-codes", "1"), "On");
    EXPECT_EQ(fs::status(FilePath(path_)).permissions(), before);
}

TEST_F(IniSave, ReadOnlyFileFailsTheSaveEvenForAnAdministrator) {
    const IniStore store = Changed(path_);
    for (const auto mode : {0444, 0466}) { // no write bit for the owner
        fs::permissions(FilePath(path_), static_cast<fs::perms>(mode));
        EXPECT_NE(FailureOf(store).find("read-only"), std::string::npos);
        EXPECT_EQ(ReadFile(path_), kOld);
    }
}

// A shared install may leave only the settings file writable, not its folder: the save cannot
// put a new file beside it and rewrites the file in place, growing and shrinking it.
TEST_F(IniSave, WritableFileInReadOnlyFolderIsRewrittenInPlace) {
    fs::permissions(FilePath(path_), fs::perms(0666));
    fs::permissions(temp_.Path(), fs::perms(0555));
    const int grown = SaveAsOrdinaryUser(std::string(20000, '7'));
    const std::string afterGrowing = ReadFile(path_);
    const int shrunk = SaveAsOrdinaryUser("1");
    fs::permissions(temp_.Path(), fs::perms(0755));
    if (grown == kNoOrdinaryUser) {
        GTEST_SKIP() << "no ordinary user can reach the temporary folder here";
    }
    EXPECT_EQ(grown, 0);
    EXPECT_EQ(afterGrowing,
              "[Param]\r\nTop=" + std::string(20000, '7') + "\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n");
    EXPECT_EQ(shrunk, 0);
    EXPECT_EQ(ReadFile(path_), "[Param]\r\nTop=1\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n");
}

TEST_F(IniSave, BadPlaceFailsTheSaveNamingTheCall) {
    using namespace platform_facts;
    EXPECT_NE(FailureOf(Changed(temp_ / "no/such/quorvel.INI"))
                  .find(std::string(kCreateFileCall) + " failed"),
              std::string::npos);
    const std::string folder = temp_ / "later.INI";
    const IniStore store = Changed(folder);
    std::filesystem::create_directory(FilePath(folder));
    EXPECT_NE(FailureOf(store).find(std::string(kReplaceFileCall) + " failed"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(FilePath(folder)));
}

// The disk "fills up" after 1000 bytes of the new content: the write fails half-way.
TEST_F(IniSave, FailureHalfWayLeavesTheOldFileIntact) {
    const IniStore store = Changed(path_);
    std::string message;
    {
        const FileSizeLimit limit(1000);
        if (!limit.Active())
            GTEST_SKIP() << "this system cannot limit the size of a process's files";
        message = FailureOf(store);
    }
    EXPECT_NE(message.find("write failed"), std::string::npos) << message;
    EXPECT_EQ(ReadFile(path_), kOld);
}

TEST_F(IniSave, LinkToTheFileSurvivesTheSave) {
    const std::string link = temp_ / "link.INI";
    if (!TryCreateSymlink(path_, link))
        GTEST_SKIP() << "no symbolic links on this system";
    Changed(link).Flush();
    EXPECT_TRUE(std::filesystem::is_symlink(FilePath(link)));
    EXPECT_EQ(IniStore(path_).Read("Param", "Top"), std::string(20000, '7'));
}
