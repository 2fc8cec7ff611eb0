// The window's three ways to a CSV file from the device's event logger: "Read zel logger"
// downloads "plog.zel" from the device and converts it, "only convert" converts a logger file
// already on disk, and the hidden shortcut Alt+L converts "plog.zel" beside the program into
// "plog.csv", empty slots included.
//
// Every conversion first reloads the code texts and extra columns from the settings file, so
// that tables the technician edited while the tool was running take effect at once.
#include "app/ActionFiles.h"
#include "app/Main.h"
#include "app/ReceivedFiles.h"

#include "logger/ConvertLoggerFile.h"
#include "logger/DefaultCsvPath.h"
#include "support/ScratchFile.h"
#include "tftp/IdTrivialFTP.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The logger file's name on the device and beside the program.
const std::string kDeviceLogger = "plog.zel";
const std::string kShortcutCsv = "plog.csv";

// Virtual key code of the letter L.
constexpr std::uint16_t kKeyL = 76;

const std::string kConvertedText = "data of logger successfull received and converted to file ";

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ignored;
    return fs::equivalent(a, b, ignored);
}

} // namespace

void TForm1::btnReadLoggerClick() {
    SetIdleState(false);
    const std::optional<std::string> csvPath =
        ExecuteDialog(Dialog::DlgReadLogger, "Select filename for received data");
    if (csvPath && ConfirmOverwrite(*csvPath)) {
        ReadLogger(*csvPath);
    }
    SetIdleState(true);
}

void TForm1::ReadLogger(const std::string& csvPath) {
    try {
        SetDialogFolder(FolderOf(csvPath));
        PrepareTransfer(ui_.GetBounds(Control::btnReadLogger).left);
        const std::string message = DownloadAndConvertLogger(csvPath);
        if (!message.empty()) {
            ShowWarning("Converting of received data failed!\r\r" + message);
        } else {
            ShowInfo(kConvertedText + Quoted(csvPath));
        }
    } catch (const std::exception& error) {
        // The CSV file is written only by a conversion that succeeds, and then whole: after a
        // failed download or a malformed logger an older CSV file stays as it was.
        if (ReportFailure("TFTP read zel logger failed!", error)) {
            throw;
        }
    }
}

std::string TForm1::DownloadAndConvertLogger(const std::string& csvPath) {
    // Received beside the CSV file, so that a failed download never touches another folder,
    // under a name of its own, and removed again whatever happens.
    ScratchFile received(csvPath, ".tmp");
    if (received.Error()) {
        RaiseFileError("Cannot create file", received.Path(), received.Error());
    }
    Client->Download(kDeviceLogger, received.Path());
    return ConvertLoggerFile(received.Path(), csvPath, false, SettingsTables());
}

void TForm1::btnconvertLoggerClick() {
    SetIdleState(false);
    const std::optional<std::string> zelPath =
        ExecuteDialog(Dialog::DlgConvert, "Select filename with received zel logger data");
    if (zelPath) {
        const std::string csvPath = DefaultCsvPath(*zelPath);
        if (ConfirmOverwrite(csvPath)) {
            ConvertLogger(*zelPath, csvPath);
        }
    }
    SetIdleState(true);
}

void TForm1::ConvertLogger(const std::string& zelPath, const std::string& csvPath) {
    try {
        SetDialogFolder(FolderOf(zelPath));
        const std::string message = ConvertLoggerFile(zelPath, csvPath, false, SettingsTables());
        if (!message.empty()) {
            ShowWarning("Converting of zel logger data failed!\r\r" + message);
        } else {
            ShowInfo(kConvertedText + Quoted(csvPath));
        }
    } catch (const std::exception& error) {
        // A logger file whose name already ends in ".CSV" is its own CSV path (and on a system
        // that ignores letter case, so is one ending in ".csv"): the conversion failed before it
        // wrote anything, so that file is still the user's logger data and must stay.
        if (!SameFile(zelPath, csvPath)) {
            RemoveFile(csvPath);
        }
        if (ReportFailure("convert zel logger data failed!", error)) {
            throw;
        }
    }
}

void TForm1::FormKeyDown(std::uint16_t& key, ShiftState shift) {
    if (key != kKeyL || !shift.alt || shift.shift || shift.ctrl) {
        return;
    }
    // Consumed whether or not there is a file to convert, and also when the conversion fails
    // with an error, which goes on to the application's own handling.
    key = 0;
    // While an action runs (its groups are disabled) the window only processes events between
    // receive slices; a conversion with its message box started from there would hold the
    // running transfer until the box is closed, long enough for the device to give up.
    if (!ui_.Enabled(Control::GroupBox2)) {
        return;
    }
    const std::string zelPath = ProgramFolder() + kDeviceLogger;
    if (!FileExists(zelPath)) {
        return;
    }
    const std::string message =
        ConvertLoggerFile(zelPath, ProgramFolder() + kShortcutCsv, true, SettingsTables());
    if (!message.empty()) {
        ShowWarning("Converting of received data failed!\r\r" + message);
    } else {
        ShowInfo("data of logger successfull converted to file " + Quoted(kShortcutCsv) +
                 "\r(including empty sets)");
    }
}

bool TForm1::ConfirmOverwrite(const std::string& path) {
    if (!FileExists(path)) {
        return true;
    }
    return AskBox("Question", "File " + Quoted(path) + " already exists!\rOverwrite?",
                  MessageKind::Confirmation, 0,
                  {MessageButton::Yes, MessageButton::No}) == MessageButton::Yes;
}

bool TForm1::ReportFailure(const std::string& sentence, const std::exception& error) {
    ShowWarning(sentence + "\r\r" + error.what());
    if (!ReraiseErrors) {
        return false;
    }
    // The error ends the action here; the window must not stay stuck in its busy state.
    SetIdleState(true);
    return true;
}

LoggerTablesRefill TForm1::SettingsTables() {
    return [this](std::vector<std::string>& codeTexts, std::vector<std::string>& selectColumns) {
        ReadWriteSettings(false, false);
        codeTexts = CodeTexts;
        selectColumns = SelectColumns;
    };
}

std::string TForm1::ProgramFolder() const {
    // The settings file lies beside the program.
    return FolderOf(settingsFile_);
}
