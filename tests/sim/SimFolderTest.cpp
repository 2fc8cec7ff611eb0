// The simulator's file store: which names it refuses, that uploads appear only when complete,
// and the logger file it keeps in memory.
#include "sim/SimFolder.h"
#include "sim/DeviceFolder.h"
#include "sim/SampleLogger.h"
#include "support/PathText.h"
#include "tests/kit/PlatformFacts.h"
#include "tests/kit/TestEnvironment.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

TEST(SimFolderNames, NamesThatCouldLeaveTheFolderAreRefused) {
    for (const std::string& name :
         std::vector<std::string>{"../secret", "..", ".", "/etc/passwd", "sub/file", "sub\\file",
                                  "C:file", "\\\\host\\x", "", std::string(256, 'a'),
                                  std::string("a\x01z"), std::string("tab\tname")}) {
        EXPECT_FALSE(SimFolder::RefusalReason(name).empty()) << "accepted \"" << name << "\"";
    }
}

TEST(SimFolderNames, OrdinaryNamesAreAccepted) {
    for (const std::string& name :
         std::vector<std::string>{"plog.zel", "Report.TXT", "a..b", "..hidden", "with space.bin",
                                  "firmware-1.2.pfw", std::string(255, 'n')}) {
        EXPECT_EQ(SimFolder::RefusalReason(name), "") << name;
    }
}

TEST(SimFolderFiles, ReadErrorsCarryTheRightCode) {
    TempFolder scratch;
    const SimFolder folder(scratch.Path());
    fs::create_directory(scratch.Path() / "adir");
    const auto codeOf = [&](const std::string& name) {
        try {
            folder.OpenForReading(name);
        } catch (const SimFileError& error) {
            return static_cast<int>(error.Code());
        }
        return -1;
    };
    EXPECT_EQ(codeOf("missing.bin"), 1);
    EXPECT_EQ(codeOf("adir"), 2);
    EXPECT_EQ(codeOf("../x"), 2);
}

TEST(SimFolderFiles, LinksAreServedOnlyWhenTheyStayInside) {
    TempFolder outside;
    TempFolder scratch;
    outside.Write("secret", "top secret");
    scratch.Write("real.bin", "inside");
    if (!TryCreateSymlink(outside.Path() / "secret", scratch.Path() / "escape"))
        GTEST_SKIP() << "no symbolic links on this system";
    ASSERT_TRUE(TryCreateSymlink(scratch.Path() / "real.bin", scratch.Path() / "alias"));
    const SimFolder folder(scratch.Path());
    EXPECT_THROW(folder.OpenForReading("escape"), SimFileError);
    const FileSource source = folder.OpenForReading("alias");
    EXPECT_EQ(source.size, 6u);
}

TEST(SimFolderFiles, UploadAppearsOnlyWhenCommitted) {
    TempFolder scratch;
    scratch.Write("cfg.bin", "old content");
    const SimFolder folder(scratch.Path());
    auto incoming = folder.CreateForWriting("cfg.bin");
    incoming->Append("new", 3);
    EXPECT_EQ(scratch.Read("cfg.bin"), "old content");
    incoming->Commit();
    EXPECT_EQ(scratch.Read("cfg.bin"), "new");
    incoming.reset();
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"cfg.bin"});
}

TEST(SimFolderFiles, AbandonedUploadLeavesNothingBehind) {
    TempFolder scratch;
    const SimFolder folder(scratch.Path());
    auto incoming = folder.CreateForWriting("partial.bin");
    incoming->Append("abc", 3);
    EXPECT_EQ(scratch.Names().size(), 1u); // the hidden temporary file
    incoming.reset();
    EXPECT_TRUE(scratch.Names().empty());
}

TEST(SimFolderFiles, TwoUploadsOfOneNameDoNotShareATemporaryFile) {
    TempFolder scratch;
    const SimFolder folder(scratch.Path());
    auto first = folder.CreateForWriting("same.bin");
    auto second = folder.CreateForWriting("same.bin");
    first->Append("first", 5);
    second->Append("second", 6);
    first->Commit();
    second->Commit();
    EXPECT_EQ(scratch.Read("same.bin"), "second");
    first.reset();
    second.reset();
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"same.bin"});
}

TEST(SimFolderFiles, BuiltInFilesAreServedWhileTheFolderHoldsNoneOfTheirName) {
    TempFolder folder;
    SimOptions options;
    options.folder = PathText(folder.Path());
    options.zelSeed = 5;
    const SimFolder device = DeviceFolder(options);
    const auto Served = [&](const std::string& name) {
        std::ostringstream content;
        content << device.OpenForReading(name).stream->rdbuf();
        return content.str();
    };
    EXPECT_EQ(Served("plog.zel"), MakeSamplePlogZel(5));
    EXPECT_EQ(device.OpenForReading("plog.zel").size, MakeSamplePlogZel(5).size());
    EXPECT_NE(MakeSamplePlogZel(5), MakeSamplePlogZel(kDefaultZelSeed));
    EXPECT_TRUE(folder.Names().empty()) << "served from memory, never written";
    folder.Write("plog.zel", "own");
    EXPECT_EQ(Served("plog.zel"), "own");
    if (platform_facts::kCaseSensitiveNames)
        EXPECT_THROW(device.OpenForReading("PLOG.ZEL"), SimFileError) << "only its own name";
    else
        EXPECT_EQ(Served("PLOG.ZEL"), "own") << "the folder's file, whatever the letter case";
}
