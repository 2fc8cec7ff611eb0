// "Put file" and "Get file" against the simulated device: texts, the overwrite question, folder
// memory, the files left behind, every failure, and errors passed on.
#include "support/CodePage.h"
#include "support/PathText.h"
#include "tests/app/TransferFixture.h"

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
    EXPECT_EQ(ReadFile(device / "Cfg.Bin"), PatternBytes(1300)) << "the name part, case kept";
    EXPECT_EQ(Message(), "File \"" + path + "\" successfull sent");
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Custom);
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnPut).left);
    for (Dialog dialog :
         {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(form->DialogState(dialog).folder, PathText(data / ""));
    }
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, "") << "the firmware folder is apart";
    ExpectIdle();
}

// A name with letters beyond ASCII goes to the device in the system's code page, and the device
// stores it under that name; one the code page cannot hold is refused before anything is sent.
TEST_F(PutGetTest, NamesBeyondAsciiGoInTheCodePageOrAreRefusedByName) {
    const std::string name = "Prüfprotokoll-Süd.txt";
    ui->dialogAnswers.push_back(DataFile(name, 700));
    form->btnPutClick();
    EXPECT_EQ(ReadFile(device / FilePath(name)), PatternBytes(700));
    ui->dialogAnswers.push_back(PathText(data / FilePath("Empfang-" + name)));
    fs::copy_file(device / FilePath(name), device / FilePath("Empfang-" + name));
    form->btnGetClick();
    EXPECT_EQ(ReadFile(data / FilePath("Empfang-" + name)), PatternBytes(700));

    if (ToCodePage("ő")) {
        GTEST_SKIP() << "the system's code page holds every character (UTF-8)";
    }
    ui->dialogAnswers.push_back(DataFile("Győr.txt", 10));
    form->btnPutClick();
    EXPECT_EQ(ui->messages.back().text,
              kPutFailed + "Exception: The file name \"Győr.txt\" cannot be given to "
                           "the device: its character \"ő\" has no place in the "
                           "system's code page.");
    EXPECT_EQ(std::distance(fs::directory_iterator(device), fs::directory_iterator()), 2)
        << "nothing sent for it";
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
    SetEnv("QUORVEL_COM40", PathText(folder.Path() / "no-such-port"));
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
        EXPECT_EQ(ReadFile(data / "part.bin"), PatternBytes(1000)) << "the local file is kept";
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
    WriteFile(device / "Report.TXT", PatternBytes(1024));
    const std::string path = PathText(data / "Report.TXT");
    ui->dialogAnswers.push_back(path);
    form->btnGetClick();
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename for receiving");
    EXPECT_EQ(ReadFile(path), PatternBytes(1024));
    EXPECT_FALSE(fs::exists(FilePath(path + ".tmp")));
    EXPECT_EQ(Message(), "File \"" + path + "\" successfull received");
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnGet).left);
    EXPECT_EQ(form->DialogState(Dialog::DlgConvert).folder, PathText(data / ""));
    ExpectIdle();
}

TEST_F(PutGetTest, GetReplacesAnExistingFileOnlyAfterYes) {
    WriteFile(device / "cfg.bin", "new");
    const std::string path = PathText(data / "cfg.bin");
    WriteFile(path, "old");
    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::No);
    form->btnGetClick();
    const MessageRequest& question = ui->messages.at(0);
    EXPECT_EQ(question.caption, "Question");
    EXPECT_EQ(question.text, "File \"" + path + "\" already exists!\rOverwrite?");
    EXPECT_EQ(question.buttons,
              (std::vector<MessageButton>{MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_TRUE(snapshots.empty()) << "no transfer";
    EXPECT_EQ(form->DialogState(Dialog::DlgGet).folder, "") << "no folder remembered";
    ExpectIdle();

    ui->dialogAnswers.push_back(path);
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnGetClick();
    EXPECT_EQ(ReadFile(path), "new");
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
    WriteFile(device / "log.bin", PatternBytes(5000));
    WriteFile(data / "log.bin.tmp", "the user's own");
    const std::string olderFile = std::string(700, '\0') + "older\r\n";
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMisbehaves(c.faults);
        if (c.expected == "Timeout") {
            pauses.LimitRealWaits(kSilentSlice);
        }
        const bool older = c.faults.Any();
        const std::string path = PathText(data / (older ? "log.bin" : "missing.bin"));
        if (older) {
            WriteFile(path, olderFile);
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
            EXPECT_EQ(ReadFile(path), olderFile);
        }
        EXPECT_EQ(ReadFile(data / "log.bin.tmp"), "the user's own");
        EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()),
                  older ? 2 : 1)
            << "no scratch file left";
        ExpectIdle();
    }
}

TEST_F(PutGetTest, OptionExMakesGetPassItsErrorOnAfterGoingIdle) {
    form->ReraiseErrors = true;
    ui->dialogAnswers.push_back(PathText(data / "missing.bin"));
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
