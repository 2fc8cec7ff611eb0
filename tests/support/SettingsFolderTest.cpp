// Where a portable and an installed program keep their settings, marker files and log.
#include "support/SettingsFolder.h"
#include "support/PathText.h"
#include "tests/kit/OrdinaryUser.h"
#include "tests/support/LogFixture.h"

namespace fs = std::filesystem;

namespace {

class SettingsFolder : public LogTest {
protected:
    void SetUp() override {
        LogTest::SetUp();
        SetEnv("XDG_CONFIG_HOME", temp_ / "config");
    }
    // A program folder of a system tree unpacked below the test's folder, e.g. "usr/bin/".
    std::string SystemTree(const std::string& bin) const {
        const std::string folder = temp_ / ("root/" + bin);
        fs::create_directories(FilePath(folder));
        return folder;
    }
    const std::string installed_ = temp_ / "config/quorvel/";
};

} // namespace

#ifndef _WIN32
TEST_F(SettingsFolder, SystemProgramFoldersUseTheConfigFolderUnlessASettingsFileLiesThere) {
    EXPECT_EQ(SettingsFolderFor(programDir_), programDir_);
    for (const std::string bin : {"usr/bin/", "usr/local/bin/"}) {
        SCOPED_TRACE(bin);
        const std::string folder = SystemTree(bin);
        EXPECT_EQ(SettingsFolderFor(folder), installed_);
        WriteFile(folder + "quorvel.INI", "");
        EXPECT_EQ(SettingsFolderFor(folder), folder);
    }
    EXPECT_EQ(SettingsFolderFor(SystemTree("myusr/bin/")), temp_ / "root/myusr/bin/");
}

TEST_F(SettingsFolder, AFolderTheUserMayNotWriteToUsesTheConfigFolder) {
    fs::permissions(FilePath(programDir_), fs::perms(0555));
    const int status = RunAsOrdinaryUser(
        programDir_.c_str(), [&] { return SettingsFolderFor(programDir_) == installed_ ? 0 : 1; });
    fs::permissions(FilePath(programDir_), fs::perms(0755));
    if (status == kNoOrdinaryUser) {
        GTEST_SKIP() << "no ordinary user can reach the temporary folder here";
    }
    EXPECT_EQ(status, 0);
}

TEST_F(SettingsFolder, ConfigFolderIsXdgConfigHomeElseDotConfigElseTheProgramFolder) {
    const std::string folder = SystemTree("usr/bin/");
    SetEnv("HOME", temp_ / "home");
    SetEnv("XDG_CONFIG_HOME", temp_ / "config/");
    EXPECT_EQ(SettingsFolderFor(folder), installed_);
    SetEnv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsFolderFor(folder), temp_ / "home/.config/quorvel/");
    UnsetEnv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolderFor(folder), temp_ / "home/.config/quorvel/");
    UnsetEnv("HOME");
    EXPECT_EQ(SettingsFolderFor(folder), folder);
}

TEST_F(SettingsFolder, AnInstalledProgramHasItsMarkersAndLogInTheConfigFolder) {
    const std::string folder = SystemTree("usr/bin/");
    WriteFile(folder + "DEBUG", "8");
    LogStartupAt(folder + "quorvel");
    EXPECT_EQ(SettingsDir(), installed_);
    EXPECT_TRUE(fs::is_directory(FilePath(installed_)));
    EXPECT_FALSE(DebugOn());

    WriteFile(installed_ + "DEBUG", "8");
    LogStartupAt(folder + "quorvel");
    EXPECT_TRUE(DebugBit(8));
    WriteLog("installed");
    LogShutdown(0);
    EXPECT_NE(ReadFile(installed_ + "Problem2.TXT").find(">installed<"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(FilePath(folder + "Problem2.TXT")));
}
#else
TEST_F(SettingsFolder, AWindowsCopyKeepsItsSettingsBesideTheProgramWhereverItLies) {
    EXPECT_EQ(SettingsFolderFor("C:\\Program Files\\Quorvel\\"), "C:\\Program Files\\Quorvel\\");
    EXPECT_EQ(SettingsFolderFor(programDir_), programDir_);
}
#endif
