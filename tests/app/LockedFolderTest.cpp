// A folder that lets the user change the files in it but not add any, as a locked-down share
// does: "Get file", "Read zel logger" and "only convert" cannot put a scratch file there, and
// write the chosen file in place instead. Run as an ordinary user, for whom the folder's
// permissions hold, against a device in memory.
#include "logger/ConvertLoggerFile.h"
#include "sim/SampleLogger.h"
#include "tests/app/FormFixture.h"
#include "tests/kit/Bytes.h"
#include "tests/kit/MemoryPeer.h"
#include "tests/kit/OrdinaryUser.h"
#include "tftp/IdTrivialFTP.h"

namespace {

class LockedFolderTest : public FormTest {
protected:
    void SetUp() override { Start(); }

    // Chooses name in the share (which everybody may change), answers "Overwrite?" with yes and
    // runs the action as an ordinary user with the share closed to new files. The message it
    // ended with; empty where no ordinary user can run it.
    std::string InLockedShare(const std::string& name, void (TForm1::*action)()) {
        fs::permissions(share.Path() / name, fs::perms(0666));
        ui->dialogAnswers = {share / name};
        ui->messageAnswers = {MessageButton::Yes};
        fs::permissions(share.Path(), fs::perms(0555));
        const int status = RunAsOrdinaryUser(share.Path().string().c_str(), [&] {
            (form.get()->*action)();
            return !ui->messages.empty() && ui->messages.back().text == expected ? 0 : 1;
        });
        fs::permissions(share.Path(), fs::perms(0755));
        return status == kNoOrdinaryUser ? "" : status == 0 ? expected : "another message";
    }

    TempFolder share;
    std::string expected;
};

TEST_F(LockedFolderTest, GetWritesInPlaceAndEmptiesTheFileWhenTheTransferFails) {
    share.Write("cfg.bin", "older");
    MemoryPeer device = BlockDevice(InBlocks(PatternBytes(1300)));
    device.Attach(*form->Client());
    expected = "File \"" + (share / "cfg.bin") + "\" successfull received";
    if (InLockedShare("cfg.bin", &TForm1::btnGetClick).empty()) {
        GTEST_SKIP() << "no ordinary user can reach the temporary folder here";
    }
    EXPECT_EQ(share.Read("cfg.bin"), PatternBytes(1300));

    MemoryPeer stops = BlockDevice({PatternBytes(512)}); // silent after a full block
    stops.Attach(*form->Client());
    expected = "TFTP get file failed!\r\rTimeout";
    EXPECT_EQ(InLockedShare("cfg.bin", &TForm1::btnGetClick), expected);
    // Nobody may remove it there: no cut-off copy remains that could pass for the file.
    EXPECT_EQ(share.Read("cfg.bin"), "");
    EXPECT_EQ(share.Names(), std::vector<std::string>{"cfg.bin"});
}

TEST_F(LockedFolderTest, LoggerIsReceivedInMemoryAndConvertedInPlace) {
    const std::string zel = MakeSamplePlogZel(7);
    ASSERT_EQ(ConvertLoggerData(zel, folder / "expected.csv", false, form->LoggerTables()), "");
    share.Write("report.csv", "older");
    MemoryPeer device = BlockDevice(InBlocks(zel));
    device.Attach(*form->Client());
    expected = "data of logger successfull received and converted to file \"" +
               (share / "report.csv") + "\"";
    if (InLockedShare("report.csv", &TForm1::btnReadLoggerClick).empty()) {
        GTEST_SKIP() << "no ordinary user can reach the temporary folder here";
    }
    EXPECT_EQ(share.Read("report.csv"), folder.Read("expected.csv"));

    share.Write("plog.zel", zel);
    share.Write("plog.CSV", "older");
    expected = "data of logger successfull received and converted to file \"" +
               (share / "plog.CSV") + "\"";
    fs::permissions(share.Path() / "plog.CSV", fs::perms(0666));
    EXPECT_EQ(InLockedShare("plog.zel", &TForm1::btnconvertLoggerClick), expected);
    EXPECT_EQ(share.Read("plog.CSV"), folder.Read("expected.csv"));
    EXPECT_EQ(share.Names(), (std::vector<std::string>{"plog.CSV", "plog.zel", "report.csv"}));
}

} // namespace
