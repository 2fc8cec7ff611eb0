// Saving the settings image: the old file is replaced only by a complete new one; a read-only
// file, a bad place or a failure half-way leave it exactly as it was, without stray files.
#include "TempFolder.h"
#include "support/IniStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

class IniSave : public ::testing::Test {
protected:
    IniSave() { WriteFile(path_, kOld); }
    void TearDown() override {
        for (const auto& entry : std::filesystem::directory_iterator(temp_.Path())) {
            EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
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

    // Saves Top in a child process run as an ordinary user, for whom the permission bits hold
    // (an administrator may create files in any folder). Exit status 0: saved, 1: failed, 77:
    // the folder is out of that user's reach.
    int SaveAsOrdinaryUser(const std::string& top) {
        const pid_t child = ::fork();
        if (child == 0) {
            if ((::geteuid() == 0 && ::seteuid(65534) != 0) ||
                ::access(temp_.Path().c_str(), X_OK) != 0) {
                ::_exit(77);
            }
            try {
                IniStore store(path_);
                store.Write("Param", "Top", top);
                store.Flush();
                ::_exit(0);
            } catch (...) {
                ::_exit(1);
            }
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static inline const std::string kOld = "[Param]\r\nTop=50\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n";
    TempFolder temp_;
    const std::string path_ = temp_ / "quorvel.INI";
};

} // namespace

TEST_F(IniSave, SaveReplacesTheFileKeepingItsPermissionsAndOtherSections) {
    ::chmod(path_.c_str(), 0640);
    Changed(path_).Flush();
    EXPECT_EQ(IniStore(path_).Read("Param", "Top"), std::string(20000, '7'));
    EXPECT_EQ(IniStore(path_).Read("zel-codes", "1"), "On");
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniSave, ReadOnlyFileFailsTheSaveEvenForAnAdministrator) {
    const IniStore store = Changed(path_);
    for (const mode_t mode : {0444, 0466}) { // no write bit for the owner
        ::chmod(path_.c_str(), mode);
        EXPECT_NE(FailureOf(store).find("read-only"), std::string::npos);
        EXPECT_EQ(ReadFile(path_), kOld);
    }
}

// A shared install may leave only the settings file writable, not its folder: the save cannot
// put a new file beside it and rewrites the file in place, growing and shrinking it.
TEST_F(IniSave, WritableFileInReadOnlyFolderIsRewrittenInPlace) {
    ::chmod(path_.c_str(), 0666);
    ::chmod(temp_.Path().c_str(), 0555);
    const int grown = SaveAsOrdinaryUser(std::string(20000, '7'));
    const std::string afterGrowing = ReadFile(path_);
    const int shrunk = SaveAsOrdinaryUser("1");
    ::chmod(temp_.Path().c_str(), 0755);
    if (grown == 77) {
        GTEST_SKIP() << "the temporary folder is out of an ordinary user's reach";
    }
    EXPECT_EQ(grown, 0);
    EXPECT_EQ(afterGrowing,
              "[Param]\r\nTop=" + std::string(20000, '7') + "\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n");
    EXPECT_EQ(shrunk, 0);
    EXPECT_EQ(ReadFile(path_), "[Param]\r\nTop=1\r\n\r\n[zel-codes]\r\n1=On\r\n\r\n");
}

TEST_F(IniSave, BadPlaceFailsTheSaveNamingTheCall) {
    EXPECT_NE(FailureOf(Changed(temp_ / "no/such/quorvel.INI")).find("open failed"),
              std::string::npos);
    const std::string folder = temp_ / "later.INI";
    const IniStore store = Changed(folder);
    std::filesystem::create_directory(folder);
    EXPECT_NE(FailureOf(store).find("rename failed"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// The disk "fills up" after 1000 bytes of the new content: the write fails half-way.
TEST_F(IniSave, FailureHalfWayLeavesTheOldFileIntact) {
    const IniStore store = Changed(path_);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const std::string message = FailureOf(store);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(message.find("write failed"), std::string::npos) << message;
    EXPECT_EQ(ReadFile(path_), kOld);
}

TEST_F(IniSave, LinkToTheFileSurvivesTheSave) {
    const std::string link = temp_ / "link.INI";
    std::filesystem::create_symlink(path_, link);
    Changed(link).Flush();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(IniStore(path_).Read("Param", "Top"), std::string(20000, '7'));
}
