// "Put file" and "Get file" against the simulated device: texts, the overwrite question, folder
// memory, the files left behind, every failure, and errors passed on.
#include "app/TransferFixture.h"

#include "tftp/IdTrivialFTP.h"

namespace {

using PutGetTest = TransferTest;

const std::string kPutFailed = "TFTP put file failed!\r\r";
const std::string kGetFailed = "TFTP get file failed!\r\r";

enum class Fault { None, Mute, NoSerialPort, Cancel };

struct FailureCase {
    const char* what;
    Fault fault;
    SimFaults faults;
    std::string expected;
};

TEST_F(PutGetTest, PutSendsTheFileUnderItsNameAndRemembersTheFolder) {
    const std::string path = DataFile("Cfg.Bin", 1300);
    ui->dialogAnswers.push_back(path);
    form->btnPutClick();

    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select file for sending");
    EXPECT_EQ(ReadFileText(device / "Cfg.Bin"), Pattern(1300)) << "the name part, case kept";
    EXPECT_EQ(Message(), "File \"" + path + "\" successfull sent");
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Custom);
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnPut).left);
    for (Dialog dialog :
         {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(form->DialogState(dialog).folder, (data / "").string());
    }
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, "") << "the firmware folder is apart";
    ExpectIdle();
}

TEST_F(PutGetTest, PutFailuresNameTheExceptionClassAndKeepTheLocalFile) {
    const FailureCase cases[] = {
        {"device refuses", Fault::None, RefusesWith(2, "read-only"),
         "EIdTFTPAccessViolation: \"read-only\""},
        {"device never answers", Fault::Mute, {}, "EIdTFTPException: Timeout"},
        {"serial port missing",
         Fault::NoSerialPort,
         {},
         "EIdTFTPException: Unable to open RS232 port COM40"},
        {"cancel", Fault::Cancel, SilentAfter(0), "EIdTFTPException: Operation canceled"},
    };
    // COM 40 is a device node that does not exist: nothing real is touched.
    SetEnv("QUORVEL_COM40", (folder.Path() / "no-such-port").string());
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMisbehaves(c.faults);
        if (c.fault == Fault::Mute) {
            DeviceIsMute();
        }
        ui->SetChecked(c.fault == Fault::NoSerialPort ? rb2 : rb1, true);
        ui->SetValue(cbPort, 39);
        snapshots.clear();
        ui->SetValue(seTO, c.fault == Fault::Cancel ? 8 : 1);
        if (c.fault == Fault::Cancel) {
            DuringSilentWait([this] { form->btnCancelClick(); });
        }
        ui->messages.clear();
        ui->dialogAnswers.push_back(DataFile("part.bin", 1000));
        form->btnPutClick();
        EXPECT_EQ(Message(), kPutFailed + c.expected);
        EXPECT_EQ(ui->messages.back().caption, "Warnung");
        EXPECT_EQ(ReadFileText(data / "part.bin"), Pattern(1000)) << "the local file is kept";
        EXPECT_FALSE(fs::exists(device / "part.bin"));
        ExpectIdle();
    }
    SetEnv("QUORVEL_COM40", "");
}

TEST_F(PutGetTest, OnlyTheLogsDebugLevelMakesPutPassItsErrorOn) {
    form->ReraiseErrors = true;
    ui->dialogAnswers.push_back(DataFile("empty.bin", 0));
    EXPECT_NO_THROW(form->btnPutClick()) << "-ex is not Put's switch";
    EXPECT_EQ(Message(), kPutFailed + "EIdTFTPException: Filesize=0");
    EXPECT_EQ(ui->Maximum(ProgressBar1), 100) << "failed before the work began";

    StartLog("DEBUG", "1");
    ui->messages.clear();
    ui->dialogAnswers.push_back(DataFile("empty.bin", 0));
    EXPECT_THROW(form->btnPutClick(), EIdTFTPException);
    EXPECT_EQ(Message(), kPutFailed + "EIdTFTPException: Filesize=0") << "shown first";
    ExpectIdle();
}

TEST_F(PutGetTest, GetFetchesTheFileNamedLikeTheLocalOne) {
    WriteFileText(device / "Report.TXT", Pattern(1024));
    const std::string path = (data / "Report.TXT").string();
    ui->dialogAnswers.push_back(path);
    form->btnGetClick();
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename for receiving");
    EXPECT_EQ(ReadFileText(path), Pattern(1024));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    EXPECT_EQ(Message(), "File \"" + path + "\" successfull received");
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnGet).left);
    EXPECT_EQ(form->DialogState(Dialog::DlgConvert).folder, (data / "").string());
    ExpectIdle();
}

TEST_F(PutGetTest, GetReplacesAnExistingFileOnlyAfterYes) {
    WriteFileText(device / "cfg.bin", "new");
    const std::string path = (data / "cfg.bin").string();
    WriteFileText(path, "old");
    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::No);
    form->btnGetClick();
    const MessageRequest& question = ui->messages.at(0);
    EXPECT_EQ(question.caption, "Question");
    EXPECT_EQ(question.text, "File \"" + path + "\" already exists!\rOverwrite?");
    EXPECT_EQ(question.buttons,
              (std::vector<MessageButton>{MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(ReadFileText(path), "old");
    EXPECT_TRUE(snapshots.empty()) << "no transfer";
    EXPECT_EQ(form->DialogState(Dialog::DlgGet).folder, "") << "no folder remembered";
    ExpectIdle();

    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnGetClick();
    EXPECT_EQ(ReadFileText(path), "new");
}

// "Overwrite?" agrees to the device's file replacing the older one, not to losing it: a Get that
// fails, even after some blocks, leaves an older file byte for byte and no scratch file, and a
// file the user keeps under the scratch file's name is never touched.
TEST_F(PutGetTest, FailedGetKeepsAnOlderFileAsItWasAndLeavesNothingElse) {
    const FailureCase cases[] = {
        {"device lacks the file", Fault::None, {}, "\"File not found\""},
        {"device falls silent after two blocks", Fault::None, SilentAfter(2), "Timeout"},
        {"cancel", Fault::Cancel, SilentAfter(1), "Operation canceled"},
    };
    WriteFileText(device / "log.bin", Pattern(5000));
    WriteFileText(data / "log.bin.tmp", "the user's own");
    const std::string olderFile = std::string(700, '\0') + "older\r\n";
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMisbehaves(c.faults);
        const bool older = c.faults.Any();
        const std::string path = (data / (older ? "log.bin" : "missing.bin")).string();
        if (older) {
            WriteFileText(path, olderFile);
        }
        ui->SetValue(seTO, c.fault == Fault::Cancel ? 8 : 1);
        if (c.fault == Fault::Cancel) {
            DuringSilentWait([this] { form->btnCancelClick(); });
        }
        ui->messages.clear();
        ui->messageAnswers.push_back(MessageButton::Yes);
        ui->dialogAnswers.push_back(path);
        form->btnGetClick();
        EXPECT_EQ(ui->messages.back().text, kGetFailed + c.expected);
        EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
        if (older) {
            EXPECT_EQ(ReadFileText(path), olderFile);
        }
        EXPECT_EQ(ReadFileText(data / "log.bin.tmp"), "the user's own");
        EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()),
                  older ? 2 : 1)
            << "no scratch file left";
        ExpectIdle();
    }
}

TEST_F(PutGetTest, OptionExMakesGetPassItsErrorOnAfterGoingIdle) {
    form->ReraiseErrors = true;
    ui->dialogAnswers.push_back((data / "missing.bin").string());
    EXPECT_THROW(form->btnGetClick(), EIdTFTPFileNotFound);
    EXPECT_EQ(Message(), kGetFailed + "\"File not found\"");
    ExpectIdle();
}

TEST_F(PutGetTest, CancelledDialogsChangeNothing) {
    form->btnPutClick();
    form->btnGetClick();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_TRUE(snapshots.empty());
    ExpectIdle();
}

} // namespace
