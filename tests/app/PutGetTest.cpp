// "Put file" and "Get file" against the simulated device: texts, questions, folder memory, the
// files left behind, and every failure with its message and clean-up.
#include "app/TransferFixture.h"

#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <cstdlib>

namespace {

using PutTest = TransferTest;
using GetTest = TransferTest;

const std::string kPutFailed = "TFTP put file failed!\r\r";
const std::string kGetFailed = "TFTP get file failed!\r\r";

// Every data dialog shares the folder; the firmware dialog keeps its own.
void ExpectDataFolder(TForm1& form, const std::string& expected) {
    for (Dialog dialog :
         {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(form.DialogState(dialog).folder, expected);
    }
    EXPECT_EQ(form.DialogState(Dialog::DlgFW).folder, "");
}

TEST_F(PutTest, SendsTheFileUnderItsNameAndRemembersItsFolder) {
    const std::string path = DataFile("Cfg.Bin", 1300);
    ui->dialogAnswers.push_back(path);
    form->btnPutClick();

    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select file for sending");
    EXPECT_EQ(DeviceFile("Cfg.Bin"), Pattern(1300)) << "remote name: the name part, case kept";
    const MessageRequest& done = OnlyMessage();
    EXPECT_EQ(done.text, "File \"" + path + "\" successfull sent");
    EXPECT_EQ(done.kind, MessageKind::Custom);
    EXPECT_EQ(done.caption, "quorvel") << "the program file's name";
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnPut).left);
    ASSERT_FALSE(snapshots.empty());
    EXPECT_EQ(snapshots.front().cancelEnabled, true) << "busy while the transfer runs";
    ExpectDataFolder(*form, (data / "").string());
    ExpectIdle();
}

TEST_F(PutTest, CancelledDialogShowsNothing) {
    form->btnPutClick();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_TRUE(snapshots.empty()) << "no transfer was prepared";
    ExpectIdle();
}

TEST_F(PutTest, FailuresNameTheExceptionClassAndKeepTheLocalFile) {
    struct Case {
        const char* what;
        SimFaults faults;
        std::size_t size;
        std::string expected;
    };
    const Case cases[] = {
        {"empty file", {}, 0, "EIdTFTPException: Filesize=0"},
        {"device refuses", RefusesWith(2, "read-only"), 100,
         "EIdTFTPAccessViolation: \"read-only\""},
        {"device never answers", {}, 100, "EIdTFTPException: Timeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMisbehaves(c.faults);
        if (std::string(c.what) == "device never answers") {
            DeviceIsMute();
        }
        ui->messages.clear();
        const std::string path = DataFile("part.bin", c.size);
        ui->dialogAnswers.push_back(path);
        form->btnPutClick();
        EXPECT_EQ(OnlyMessage().text, kPutFailed + c.expected);
        EXPECT_EQ(OnlyMessage().kind, MessageKind::Warning);
        EXPECT_EQ(OnlyMessage().caption, "Warnung");
        EXPECT_EQ(ReadFileText(path), Pattern(c.size)) << "the local file is only read";
        EXPECT_FALSE(OnDevice("part.bin"));
        ExpectIdle();
    }
}

TEST_F(PutTest, EmptyFileFailsBeforeTheBarMoves) {
    ui->dialogAnswers.push_back(DataFile("empty.bin", 0));
    form->btnPutClick();
    EXPECT_EQ(ui->Maximum(ProgressBar1), 100) << "the design's maximum";
    EXPECT_EQ(ui->Value(ProgressBar1), 0);
}

TEST_F(PutTest, CancelDuringTheTransfer) {
    DeviceMisbehaves(SilentAfter(0));
    SetTimeout(8);
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 700));
    CancelDuringSilentWait();
    form->btnPutClick();
    EXPECT_EQ(OnlyMessage().text, kPutFailed + "EIdTFTPException: Operation canceled");
    EXPECT_FALSE(OnDevice("cfg.bin"));
    ExpectIdle();
}

TEST_F(PutTest, SerialPortThatCannotBeOpened) {
    // COM 40 is a device node that does not exist: nothing real is touched.
    ::setenv("QUORVEL_COM40", (folder.Path() / "no-such-port").c_str(), 1);
    ui->SetChecked(rb2, true);
    ui->SetValue(cbPort, 39);
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 10));
    form->btnPutClick();
    ::unsetenv("QUORVEL_COM40");
    EXPECT_EQ(OnlyMessage().text, kPutFailed + "EIdTFTPException: Unable to open RS232 port COM40");
    ExpectIdle();
}

TEST_F(PutTest, OnlyTheLogsDebugLevelPassesTheErrorOnAfterGoingIdle) {
    form->ReraiseErrors = true;
    ui->dialogAnswers.push_back(DataFile("empty.bin", 0));
    EXPECT_NO_THROW(form->btnPutClick()) << "-ex is not Put's switch";

    ::setenv("XDG_DATA_HOME", (folder.Path() / "xdg").c_str(), 1);
    WriteFileText(folder.Path() / "DEBUG", "1");
    LogStartupAt(ProgramPath().string());
    ASSERT_TRUE(DebugOn());
    ui->messages.clear();
    ui->dialogAnswers.push_back(DataFile("empty.bin", 0));
    EXPECT_THROW(form->btnPutClick(), EIdTFTPException);
    EXPECT_EQ(OnlyMessage().text, kPutFailed + "EIdTFTPException: Filesize=0")
        << "shown before it is passed on";
    ExpectIdle();
}

TEST_F(GetTest, FetchesTheFileNamedLikeTheLocalOne) {
    WriteFileText(deviceFolder / "Report.TXT", Pattern(1024));
    const std::string path = (data / "Report.TXT").string();
    ui->dialogAnswers.push_back(path);
    form->btnGetClick();

    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename for receiving");
    EXPECT_EQ(ReadFileText(path), Pattern(1024));
    EXPECT_EQ(OnlyMessage().text, "File \"" + path + "\" successfull received");
    EXPECT_EQ(OnlyMessage().kind, MessageKind::Custom);
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnGet).left);
    ExpectDataFolder(*form, (data / "").string());
    ExpectIdle();
}

TEST_F(GetTest, ExistingFileIsReplacedOnlyAfterYes) {
    WriteFileText(deviceFolder / "cfg.bin", "new");
    const std::string path = (data / "cfg.bin").string();
    WriteFileText(path, "old");

    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::No);
    form->btnGetClick();
    const MessageRequest& question = OnlyMessage();
    EXPECT_EQ(question.caption, "Question");
    EXPECT_EQ(question.text, "File \"" + path + "\" already exists!\rOverwrite?");
    EXPECT_EQ(question.kind, MessageKind::Confirmation);
    EXPECT_EQ(question.buttons,
              (std::vector<MessageButton>{MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(ReadFileText(path), "old");
    EXPECT_TRUE(snapshots.empty()) << "no transfer";
    ExpectDataFolder(*form, "");
    ExpectIdle();

    ui->messages.clear();
    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnGetClick();
    EXPECT_EQ(ReadFileText(path), "new");
    EXPECT_EQ(ui->messages.back().text, "File \"" + path + "\" successfull received");
}

TEST_F(GetTest, EveryFailureDeletesTheLocalFile) {
    struct Case {
        const char* what;
        SimFaults faults;
        bool existedBefore;
        std::string expected;
    };
    const Case cases[] = {
        {"device lacks the file", {}, false, "\"File not found\""},
        {"old file, then the device lacks the file", {}, true, "\"File not found\""},
        {"device falls silent after a block", SilentAfter(2), false, "Timeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMisbehaves(c.faults);
        ui->messages.clear();
        const std::string path = (data / "log.bin").string();
        if (c.faults.silentAfterBlock) {
            WriteFileText(deviceFolder / "log.bin", Pattern(5000));
        } else {
            fs::remove(deviceFolder / "log.bin");
        }
        if (c.existedBefore) {
            WriteFileText(path, "older file");
            ui->messageAnswers.push_back(MessageButton::Yes);
        }
        ui->dialogAnswers.push_back(path);
        form->btnGetClick();
        EXPECT_EQ(ui->messages.back().text, kGetFailed + c.expected);
        EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
        EXPECT_FALSE(fs::exists(path));
        ExpectIdle();
    }
}

TEST_F(GetTest, CancelDeletesThePartlyReceivedFile) {
    DeviceMisbehaves(SilentAfter(1));
    SetTimeout(8);
    WriteFileText(deviceFolder / "big.bin", Pattern(3000));
    const std::string path = (data / "big.bin").string();
    bool partial = false;
    DuringSilentWait([&] {
        partial = fs::exists(path);
        form->btnCancelClick();
    });
    ui->dialogAnswers.push_back(path);
    form->btnGetClick();
    EXPECT_TRUE(partial) << "the file was there while the transfer ran";
    EXPECT_EQ(OnlyMessage().text, kGetFailed + "Operation canceled");
    EXPECT_FALSE(fs::exists(path));
    ExpectIdle();
}

TEST_F(GetTest, OptionExPassesTheErrorOnAfterTheMessageAndTheIdleState) {
    form->ReraiseErrors = true;
    const std::string path = (data / "missing.bin").string();
    ui->dialogAnswers.push_back(path);
    EXPECT_THROW(form->btnGetClick(), EIdTFTPFileNotFound);
    EXPECT_EQ(OnlyMessage().text, kGetFailed + "\"File not found\"");
    EXPECT_FALSE(fs::exists(path));
    ExpectIdle();
}

} // namespace
