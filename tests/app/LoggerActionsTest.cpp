// The logger actions through the scripted toolkit: "Read zel logger" against the device
// simulator served in-process on the loopback address, "only convert" and Alt+L on files in the
// test's own folder, which is also the program's folder.
#include "logger/ConvertLoggerFile.h"
#include "logger/ReadLoggerFile.h"
#include "sim/LoggerWriter.h"
#include "sim/SampleLogger.h"
#include "sim/SimServer.h"
#include "support/PathText.h"
#include "tests/app/FormFixture.h"
#include "tests/kit/PlatformFacts.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>

using enum Control;

namespace {

const std::string kSample = MakeSamplePlogZel(7);
// A group reaching past the end of its block: reading this file raises an error.
const std::string kMalformed = EncodeLoggerBlock({61000, 10, 1, 2});
const std::string kNoData = "file contains no logger data (wrong range of registers)";
const std::string kSuccess = "data of logger successfull received and converted to file \"";

// The simulated device; with a refusal text it answers every request with that error.
SimOptions DeviceOptions(const fs::path& folder, const std::string& refusal = {}) {
    fs::create_directory(folder);
    SimOptions options;
    if (!refusal.empty()) {
        options.faults.errorCode = 1;
        options.faults.errorText = refusal;
    }
    options.folder = PathText(folder);
    options.bindAddress = "127.0.0.1";
    options.log = [](const std::string&) {};
    return options;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

class LoggerActionsTest : public FormTest {
protected:
    void SetUp() override {
        fs::create_directory(data);
        const LoggerImage image = SampleLoggerImage(7);
        code = std::to_string(image.Record(image.NewestSlot()).code);
        WriteSettings("[Param]\r\nDirFW=/fw/\r\n[zel-codes]\r\n" + code + "=Power on\r\n");
        Restart({});
    }
    void Restart(std::vector<std::string> params) {
        Start(std::move(params));
        ui->SetText(eIP, "127.0.0.1");
        form->TargetPort = device.Port();
    }

    // What the conversion makes of the sample with the tables of the settings file.
    std::string Expected(bool includeEmpty) const {
        const fs::path zel = folder.Path() / "expected.zel", out = folder.Path() / "expected";
        WriteFile(zel, kSample);
        EXPECT_EQ(ConvertLoggerFile(PathText(zel), PathText(out), includeEmpty,
                                    SettingsFileTables(PathText(SettingsFile()))),
                  "");
        return ReadFile(out);
    }

    // Chooses path in the next dialog and answers the overwrite question, if one comes.
    void Choose(const fs::path& path, MessageButton answer = MessageButton::Yes) {
        ui->dialogAnswers.push_back(PathText(path));
        ui->messageAnswers.push_back(answer);
    }

    std::vector<std::string> DataFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(data)) {
            names.push_back(PathText(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectIdle() const {
        EXPECT_TRUE(ui->Enabled(GroupBox1) && ui->Enabled(GroupBox2));
        EXPECT_FALSE(ui->Visible(btnCancel) || ui->Visible(ProgressBar1));
        EXPECT_EQ(ui->cursor, Cursor::Arrow);
    }

    const std::string& LastText() const { return ui->messages.back().text; }

    SimServerThread device{DeviceOptions(folder.Path() / "device")};
    SimServerThread refusing{DeviceOptions(folder.Path() / "device", "File not found")};
    fs::path data = folder.Path() / "data";
    fs::path csv = data / "report.csv";
    std::string code;
};

TEST_F(LoggerActionsTest, ReadLoggerDownloadsConvertsAndRemembersTheFolder) {
    WriteFile(folder.Path() / "device" / "plog.zel", kSample);
    bool busy = false;
    ui->onProcessEvents = [&] { busy = !ui->Enabled(GroupBox2) && ui->Visible(btnCancel); };
    Choose(csv);
    form->btnReadLoggerClick();

    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(LastText(), kSuccess + PathText(csv) + "\"");
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename for received data");
    EXPECT_EQ(ReadFile(csv), Expected(false));
    EXPECT_NE(ReadFile(csv).find(";Power on;"), std::string::npos);
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"report.csv"}) << "no .tmp left";
    EXPECT_TRUE(busy);
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnReadLogger).left);
    ExpectIdle();
    for (Dialog dialog : {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgConvert}) {
        EXPECT_EQ(form->DialogState(dialog).folder, PathText(data / ""));
    }
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, "/fw/");
}

TEST_F(LoggerActionsTest, CancelledDialogOrRefusedOverwriteChangesNothing) {
    form->btnReadLoggerClick();
    form->btnconvertLoggerClick();
    EXPECT_TRUE(ui->messages.empty());

    WriteFile(csv, "keep");
    WriteFile(data / "report.CSV", "keep");
    WriteFile(data / "report.zel", kSample);
    Choose(csv, MessageButton::No);
    form->btnReadLoggerClick();
    Choose(data / "report.zel", MessageButton::No);
    form->btnconvertLoggerClick();

    ASSERT_EQ(ui->messages.size(), 2u) << "the questions only";
    EXPECT_EQ(ui->messages[0].caption, "Question");
    EXPECT_EQ(ui->messages[0].text, "File \"" + PathText(csv) + "\" already exists!\rOverwrite?");
    EXPECT_EQ(ui->messages[0].buttons, (std::vector{MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(ui->messages[1].text,
              "File \"" + PathText(data / "report.CSV") + "\" already exists!\rOverwrite?");
    if (platform_facts::kCaseSensitiveNames)
        EXPECT_EQ(DataFiles(),
                  (std::vector<std::string>{"report.CSV", "report.csv", "report.zel"}));
    else // one file under either name
        EXPECT_EQ(DataFiles(), (std::vector<std::string>{"report.csv", "report.zel"}));
    EXPECT_EQ(ReadFile(csv), "keep");
    EXPECT_EQ(form->DialogState(Dialog::DlgGet).folder, "");
    ExpectIdle();
}

struct FailureRow {
    std::optional<std::string> served; // none: the device refuses the request
    std::string warning;
};

// Whatever fails, an older CSV file stays as it was and no temporary file remains.
TEST_F(LoggerActionsTest, ReadLoggerFailuresKeepAnOlderCsvAndLeaveNoTemporaryFile) {
    const std::vector<FailureRow> rows{
        {std::nullopt, "TFTP read zel logger failed!\r\r\"File not found\""},
        {"no logger", "Converting of received data failed!\r\r" + kNoData},
        {kMalformed, "TFTP read zel logger failed!\r\rmalformed logger data"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.warning);
        form->TargetPort = row.served ? device.Port() : refusing.Port();
        WriteFile(folder.Path() / "device" / "plog.zel", row.served.value_or(""));
        WriteFile(csv, "older");
        Choose(csv);
        form->btnReadLoggerClick();
        EXPECT_TRUE(StartsWith(LastText(), row.warning)) << LastText();
        EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
        EXPECT_EQ(DataFiles(), std::vector<std::string>{"report.csv"});
        EXPECT_EQ(ReadFile(csv), "older");
        ExpectIdle();
    }
}

TEST_F(LoggerActionsTest, CancelledReadLeavesNoFile) {
    WriteFile(folder.Path() / "device" / "plog.zel", kSample);
    ui->onProcessEvents = [this] { form->btnCancelClick(); };
    Choose(csv);
    form->btnReadLoggerClick();
    EXPECT_EQ(LastText(), "TFTP read zel logger failed!\r\rOperation canceled");
    EXPECT_TRUE(DataFiles().empty());
    ExpectIdle();
}

TEST_F(LoggerActionsTest, OnlyConvertWritesTheCsvBesideWithTablesReloadedEveryTime) {
    WriteFile(data / "report.zel", kSample);
    WriteFile(data / "log", kSample);
    Choose(data / "report.zel");
    form->btnconvertLoggerClick();
    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select filename with received zel logger data");
    EXPECT_EQ(LastText(), kSuccess + PathText(data / "report.CSV") + "\"");
    EXPECT_EQ(ReadFile(data / "report.CSV"), Expected(false));
    EXPECT_EQ(form->DialogState(Dialog::DlgReadLogger).folder, PathText(data / ""));

    // Tables edited while the tool runs take effect at the next conversion.
    WriteSettings("[zel-codes]\r\n" + code + "=Mains lost\r\n[zel-select]\r\n" + code + "=x\r\n");
    Choose(data / "log");
    form->btnconvertLoggerClick();
    const std::string again = ReadFile(data / "log.CSV");
    EXPECT_EQ(again, Expected(false));
    EXPECT_NE(again.find(";Mains lost;"), std::string::npos);
    ExpectIdle();
}

TEST_F(LoggerActionsTest, OnlyConvertFailuresKeepAnOlderCsv) {
    const fs::path zel = data / "report.zel", converted = data / "report.CSV";
    WriteFile(converted, "older");
    WriteFile(zel, "no logger");
    Choose(zel);
    form->btnconvertLoggerClick();
    EXPECT_EQ(LastText(), "Converting of zel logger data failed!\r\r" + kNoData);
    EXPECT_EQ(ReadFile(converted), "older");

    // The consent to replace the older CSV was no consent to lose it to a malformed block.
    WriteFile(zel, kMalformed);
    Choose(zel);
    form->btnconvertLoggerClick();
    EXPECT_TRUE(StartsWith(LastText(), "convert zel logger data failed!\r\rmalformed logger data"));
    EXPECT_EQ(ReadFile(converted), "older");

    // A logger file named like its own CSV is the user's data, never deleted.
    WriteFile(converted, kMalformed);
    Choose(converted);
    form->btnconvertLoggerClick();
    EXPECT_TRUE(StartsWith(LastText(), "convert zel logger data failed!"));
    EXPECT_EQ(ReadFile(converted), kMalformed);
    ExpectIdle();
}

TEST_F(LoggerActionsTest, OptionExPassesErrorsOnWithTheWindowIdle) {
    Restart({"-ex"});
    form->TargetPort = refusing.Port();
    Choose(csv);
    EXPECT_THROW(form->btnReadLoggerClick(), EIdTFTPException);
    EXPECT_TRUE(StartsWith(LastText(), "TFTP read zel logger failed!\r\r"));
    ExpectIdle();

    WriteFile(data / "bad.zel", kMalformed);
    Choose(data / "bad.zel");
    EXPECT_THROW(form->btnconvertLoggerClick(), ELoggerFormatError);
    EXPECT_TRUE(StartsWith(LastText(), "convert zel logger data failed!\r\r"));
    ExpectIdle();
}

TEST_F(LoggerActionsTest, AltLConvertsBesideTheProgramWithEveryEmptySlot) {
    const fs::path zel = folder.Path() / "plog.zel", converted = folder.Path() / "plog.csv";
    auto press = [this](ShiftState shift, std::uint16_t key = 'L') {
        form->FormKeyDown(key, shift);
        return key;
    };
    EXPECT_EQ(press({.alt = true}), 0) << "consumed without a logger file too";
    EXPECT_TRUE(ui->messages.empty());

    WriteFile(zel, kSample);
    EXPECT_EQ(press({.shift = true, .alt = true}), 'L');
    EXPECT_EQ(press({.alt = true, .ctrl = true}), 'L');
    EXPECT_EQ(press({}), 'L');
    EXPECT_EQ(press({.alt = true}, 'K'), 'K');
    EXPECT_FALSE(fs::exists(converted));

    WriteFile(converted, "older");
    EXPECT_EQ(press({.alt = true}), 0);
    EXPECT_EQ(LastText(), "data of logger successfull converted to file \"plog.csv\"\r"
                          "(including empty sets)");
    const std::string written = ReadFile(converted);
    EXPECT_EQ(written, Expected(true));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 501);

    WriteFile(zel, "no logger");
    press({.alt = true});
    EXPECT_EQ(LastText(), "Converting of received data failed!\r\r" + kNoData);
    WriteFile(zel, kMalformed);
    std::uint16_t key = 'L';
    EXPECT_THROW(form->FormKeyDown(key, {.alt = true}), ELoggerFormatError);
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(ui->dialogRequests.empty());
}

TEST_F(LoggerActionsTest, AltLDuringARunningActionIsConsumedButConvertsNothing) {
    WriteFile(folder.Path() / "plog.zel", kSample);
    form->SetIdleState(false);
    std::uint16_t key = 'L';
    form->FormKeyDown(key, {.alt = true});
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(fs::exists(folder.Path() / "plog.csv"));
    EXPECT_TRUE(ui->messages.empty());
    form->SetIdleState(true);
}

} // namespace
