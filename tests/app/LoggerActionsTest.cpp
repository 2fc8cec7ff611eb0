// The logger actions through the scripted toolkit: "Read zel logger" against the device
// simulator served in-process on the loopback address, "only convert" and Alt+L on files in the
// test's own folder, which is also the program's folder.
#include "app/FormFixture.h"
#include "logger/ConvertLoggerFile.h"
#include "logger/LoggerWriter.h"
#include "logger/ReadLoggerFile.h"
#include "logger/SampleLogger.h"
#include "sim/SimServer.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>

using enum Control;

namespace {

constexpr unsigned kSeed = 7;
const std::string kNoLoggerData = "file contains no logger data (wrong range of registers)";

// The simulated device on the loopback address, serving the given folder.
SimOptions DeviceOptions(const fs::path& folder) {
    SimOptions options;
    options.folder = folder.string();
    options.bindAddress = "127.0.0.1";
    options.timeoutMs = 200;
    options.retries = 2;
    options.log = [](const std::string&) {};
    return options;
}

fs::path MadeFolder(const fs::path& path) {
    fs::create_directory(path);
    return path;
}

// A logger file whose group reaches past the end of its block: reading it raises an error.
std::string MalformedLogger() {
    return EncodeLoggerBlock({61000, 10, 1, 2});
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class LoggerActionsTest : public FormTest {
protected:
    void SetUp() override {
        WriteSettings("[Param]\r\nDirFW=/firmware/\r\n[zel-codes]\r\n" + AnyCode() +
                      "=Power on\r\n");
        Start();
        ui->SetText(eIP, "127.0.0.1");
        form->TargetPort = device.Port();
        ui->onProcessEvents = [this] {
            busyDuringAction = !ui->Enabled(GroupBox2) && ui->Visible(btnCancel);
        };
    }

    static std::string AnyCode() {
        const LoggerImage image = SampleLoggerImage(kSeed);
        return std::to_string(image.Record(image.NewestSlot()).code);
    }

    // The CSV the conversion makes of the sample logger with the tables of the settings file.
    std::string ExpectedCsv(bool includeEmpty) {
        const fs::path zel = folder.Path() / "expected.zel";
        const fs::path csv = folder.Path() / "expected.csv";
        WriteFileText(zel, MakeSamplePlogZel(kSeed));
        EXPECT_EQ(ConvertLoggerFile(zel.string(), csv.string(), includeEmpty,
                                    SettingsFileTables(SettingsFile().string())),
                  "");
        const std::string text = ReadFileText(csv);
        fs::remove(zel);
        fs::remove(csv);
        return text;
    }

    void DeviceServes(const std::string& logger) const {
        WriteFileText(deviceFolder / "plog.zel", logger);
    }

    void ExpectIdle() const {
        EXPECT_TRUE(ui->Enabled(GroupBox1));
        EXPECT_TRUE(ui->Enabled(GroupBox2));
        EXPECT_FALSE(ui->Visible(btnCancel));
        EXPECT_FALSE(ui->Visible(ProgressBar1));
        EXPECT_EQ(ui->cursor, Cursor::Arrow);
    }

    const std::string& LastText() const { return ui->messages.back().text; }

    std::vector<std::string> FilesIn(const fs::path& path) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path deviceFolder = MadeFolder(folder.Path() / "device");
    fs::path data = MadeFolder(folder.Path() / "data");
    fs::path csv = data / "report.csv";
    SimServerThread device{DeviceOptions(deviceFolder)};
    bool busyDuringAction = false;
};

using ReadLoggerTest = LoggerActionsTest;

TEST_F(ReadLoggerTest, DownloadsConvertsAndRemembersTheFolder) {
    DeviceServes(MakeSamplePlogZel(kSeed));
    ui->dialogAnswers.push_back(csv.string());
    form->btnReadLoggerClick();

    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(LastText(),
              "data of logger successfull received and converted to file \"" + csv.string() + "\"");
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Custom);
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename for received data");
    const std::string written = ReadFileText(csv);
    EXPECT_EQ(written, ExpectedCsv(false));
    EXPECT_NE(written.find(";Power on;"), std::string::npos) << "tables come from the settings";
    EXPECT_EQ(FilesIn(data), std::vector<std::string>{"report.csv"}) << "no .tmp left";
    EXPECT_TRUE(busyDuringAction);
    EXPECT_EQ((*ui)[ProgressBar1].bounds.left, ui->GetBounds(btnReadLogger).left);
    ExpectIdle();

    const std::string folderWithSeparator = (data / "").string();
    for (Dialog dialog :
         {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(form->DialogState(dialog).folder, folderWithSeparator);
    }
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, "/firmware/");
}

TEST_F(ReadLoggerTest, CancelledDialogOrRefusedOverwriteChangesNothing) {
    DeviceServes(MakeSamplePlogZel(kSeed));
    form->btnReadLoggerClick();
    EXPECT_TRUE(ui->messages.empty());
    ExpectIdle();

    WriteFileText(csv, "keep me");
    ui->dialogAnswers.push_back(csv.string());
    ui->messageAnswers.push_back(MessageButton::No);
    form->btnReadLoggerClick();
    ASSERT_EQ(ui->messages.size(), 1u) << "the question only";
    const MessageRequest& question = ui->messages.back();
    EXPECT_EQ(question.caption, "Question");
    EXPECT_EQ(question.text, "File \"" + csv.string() + "\" already exists!\rOverwrite?");
    EXPECT_EQ(question.kind, MessageKind::Confirmation);
    EXPECT_EQ(question.buttons, (std::vector{MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(ReadFileText(csv), "keep me");
    EXPECT_EQ(FilesIn(data), std::vector<std::string>{"report.csv"});
    EXPECT_EQ(form->DialogState(Dialog::DlgGet).folder, "") << "folder kept after a refusal";
    ExpectIdle();
}

TEST_F(ReadLoggerTest, FailedDownloadDeletesTheReceivedAndTheOverwrittenFile) {
    WriteFileText(csv, "older CSV");
    ui->dialogAnswers.push_back(csv.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnReadLoggerClick(); // the device has no logger file

    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(LastText().rfind("TFTP read zel logger failed!\r\r", 0), 0u) << LastText();
    EXPECT_GT(LastText().size(), std::string("TFTP read zel logger failed!\r\r").size());
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
    EXPECT_TRUE(FilesIn(data).empty());
    EXPECT_EQ(form->DialogState(Dialog::DlgReadLogger).folder, (data / "").string())
        << "the folder is remembered once the transfer is about to start";
    ExpectIdle();
}

TEST_F(ReadLoggerTest, CancelledDownloadLeavesNoFile) {
    DeviceServes(MakeSamplePlogZel(kSeed));
    ui->onProcessEvents = [this] { form->btnCancelClick(); };
    ui->dialogAnswers.push_back(csv.string());
    form->btnReadLoggerClick();
    EXPECT_EQ(LastText(), "TFTP read zel logger failed!\r\rOperation canceled");
    EXPECT_TRUE(FilesIn(data).empty());
    ExpectIdle();
    EXPECT_TRUE(ui->Enabled(btnCancel));
}

TEST_F(ReadLoggerTest, ConversionMessageKeepsTheCsvFileButNotTheTemporaryOne) {
    DeviceServes("this is no logger");
    WriteFileText(csv, "older CSV");
    ui->dialogAnswers.push_back(csv.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnReadLoggerClick();
    EXPECT_EQ(LastText(), "Converting of received data failed!\r\r" + kNoLoggerData);
    EXPECT_EQ(ReadFileText(csv), "older CSV") << "the conversion wrote nothing";
    EXPECT_EQ(FilesIn(data), std::vector<std::string>{"report.csv"});
    ExpectIdle();
}

TEST_F(ReadLoggerTest, MalformedLoggerIsHandledLikeAFailedDownload) {
    DeviceServes(MalformedLogger());
    WriteFileText(csv, "older CSV");
    ui->dialogAnswers.push_back(csv.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnReadLoggerClick();
    EXPECT_EQ(LastText().rfind("TFTP read zel logger failed!\r\r", 0), 0u) << LastText();
    EXPECT_NE(LastText().find("runs past"), std::string::npos) << LastText();
    EXPECT_TRUE(FilesIn(data).empty());
    ExpectIdle();
}

TEST_F(ReadLoggerTest, OptionExPassesTheErrorOnWithTheWindowIdle) {
    Start({"-ex"});
    ui->SetText(eIP, "127.0.0.1");
    form->TargetPort = device.Port();
    ui->dialogAnswers.push_back(csv.string());
    EXPECT_THROW(form->btnReadLoggerClick(), EIdTFTPException);
    ASSERT_EQ(ui->messages.size(), 1u) << "the action's own warning comes first";
    EXPECT_EQ(LastText().rfind("TFTP read zel logger failed!\r\r", 0), 0u);
    ExpectIdle();
}

class OnlyConvertTest : public LoggerActionsTest {
protected:
    fs::path zel = data / "report.zel";
    fs::path converted = data / "report.CSV";
};

TEST_F(OnlyConvertTest, WritesTheCsvBesideTheLoggerWithTablesReloadedEveryTime) {
    WriteFileText(zel, MakeSamplePlogZel(kSeed));
    ui->dialogAnswers.push_back(zel.string());
    form->btnconvertLoggerClick();
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename with received zel logger data");
    EXPECT_EQ(LastText(), "data of logger successfull received and converted to file \"" +
                              converted.string() + "\"");
    EXPECT_EQ(ReadFileText(converted), ExpectedCsv(false));
    EXPECT_EQ(form->DialogState(Dialog::DlgPut).folder, (data / "").string());
    ExpectIdle();

    // The technician edits the tables while the tool runs; the next conversion uses them.
    WriteSettings("[zel-codes]\r\n" + AnyCode() + "=Mains lost\r\n[zel-select]\r\n" + AnyCode() +
                  "=x\r\n");
    ui->dialogAnswers.push_back(zel.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnconvertLoggerClick();
    const std::string again = ReadFileText(converted);
    EXPECT_EQ(again, ExpectedCsv(false));
    EXPECT_NE(again.find(";Mains lost;"), std::string::npos);
    EXPECT_EQ(again.find("Power on"), std::string::npos);
    EXPECT_EQ(form->CodeTexts, std::vector<std::string>{AnyCode() + "=Mains lost"});
}

TEST_F(OnlyConvertTest, FileWithoutExtensionGetsCsvAppended) {
    const fs::path bare = data / "log";
    WriteFileText(bare, MakeSamplePlogZel(kSeed));
    ui->dialogAnswers.push_back(bare.string());
    form->btnconvertLoggerClick();
    EXPECT_TRUE(fs::exists(data / "log.CSV"));
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Custom);
}

TEST_F(OnlyConvertTest, RefusedOverwriteAndConversionMessageLeaveTheCsvAlone) {
    WriteFileText(zel, "this is no logger");
    WriteFileText(converted, "older CSV");
    ui->dialogAnswers.push_back(zel.string());
    ui->messageAnswers.push_back(MessageButton::No);
    form->btnconvertLoggerClick();
    EXPECT_EQ(ui->messages.size(), 1u) << "the question only";
    EXPECT_EQ(form->DialogState(Dialog::DlgConvert).folder, "");

    ui->dialogAnswers.push_back(zel.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnconvertLoggerClick();
    EXPECT_EQ(LastText(), "Converting of zel logger data failed!\r\r" + kNoLoggerData);
    EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
    EXPECT_EQ(ReadFileText(converted), "older CSV");
    ExpectIdle();
}

TEST_F(OnlyConvertTest, MalformedLoggerDeletesTheCsvAndPassesOnWithOptionEx) {
    WriteFileText(zel, MalformedLogger());
    WriteFileText(converted, "older CSV");
    ui->dialogAnswers.push_back(zel.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnconvertLoggerClick();
    EXPECT_EQ(LastText().rfind("convert zel logger data failed!\r\r", 0), 0u) << LastText();
    EXPECT_FALSE(fs::exists(converted));
    EXPECT_TRUE(fs::exists(zel));
    ExpectIdle();

    form->ReraiseErrors = true;
    ui->dialogAnswers.push_back(zel.string());
    EXPECT_THROW(form->btnconvertLoggerClick(), ELoggerFormatError);
    EXPECT_EQ(LastText().rfind("convert zel logger data failed!\r\r", 0), 0u);
    ExpectIdle();
}

TEST_F(OnlyConvertTest, LoggerFileNamedLikeItsCsvIsNeverDeleted) {
    // "data.CSV" is its own CSV path: a failed conversion must not delete the user's logger.
    const fs::path both = data / "data.CSV";
    WriteFileText(both, MalformedLogger());
    ui->dialogAnswers.push_back(both.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    form->btnconvertLoggerClick();
    EXPECT_EQ(LastText().rfind("convert zel logger data failed!\r\r", 0), 0u);
    EXPECT_EQ(ReadFileText(both), MalformedLogger());
}

class ShortcutTest : public LoggerActionsTest {
protected:
    // Presses L with the given modifiers; returns the key as the handler left it.
    std::uint16_t Press(ShiftState shift, std::uint16_t key = 'L') {
        form->FormKeyDown(key, shift);
        return key;
    }

    fs::path zel = folder.Path() / "plog.zel";
    fs::path converted = folder.Path() / "plog.csv";
};

TEST_F(ShortcutTest, AltLConvertsTheProgramsLoggerWithEveryEmptySlot) {
    WriteFileText(zel, MakeSamplePlogZel(kSeed));
    WriteFileText(converted, "older CSV");
    EXPECT_EQ(Press({.alt = true}), 0);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(LastText(), "data of logger successfull converted to file \"plog.csv\"\r"
                          "(including empty sets)");
    const std::string written = ReadFileText(converted);
    EXPECT_EQ(written, ExpectedCsv(true));
    EXPECT_EQ(LineCount(written), 501u);
    EXPECT_TRUE(ui->dialogRequests.empty());
}

TEST_F(ShortcutTest, OnlyAltLIsTakenAndAlwaysConsumed) {
    WriteFileText(zel, MakeSamplePlogZel(kSeed));
    EXPECT_EQ(Press({.shift = true, .alt = true}), 'L');
    EXPECT_EQ(Press({.alt = true, .ctrl = true}), 'L');
    EXPECT_EQ(Press({}), 'L');
    EXPECT_EQ(Press({.alt = true}, 'K'), 'K');
    EXPECT_FALSE(fs::exists(converted));
    EXPECT_TRUE(ui->messages.empty());

    fs::remove(zel);
    EXPECT_EQ(Press({.alt = true}), 0) << "consumed without a logger file too";
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(fs::exists(converted));
}

TEST_F(ShortcutTest, FailuresAreShownOrPassedToTheApplication) {
    WriteFileText(zel, "this is no logger");
    EXPECT_EQ(Press({.alt = true}), 0);
    EXPECT_EQ(LastText(), "Converting of received data failed!\r\r" + kNoLoggerData);
    EXPECT_FALSE(fs::exists(converted));

    WriteFileText(zel, MalformedLogger());
    std::uint16_t key = 'L';
    EXPECT_THROW(form->FormKeyDown(key, {.alt = true}), ELoggerFormatError);
    EXPECT_EQ(key, 0) << "the key goes no further even when the conversion fails";
}

} // namespace
