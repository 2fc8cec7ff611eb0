// The three ways to a CSV file from the device's event logger: "Read zel logger" downloads
// "plog.zel" from the device and converts it, "only convert" converts a logger file already on
// disk, and the hidden shortcut Alt+L converts "plog.zel" beside the program into "plog.csv",
// empty slots included.
//
// Every conversion first reloads the code texts and extra columns from the settings file, so
// that tables the technician edited while the tool was running take effect at once. The CSV file
// is written only by a conversion that succeeds, and then whole: after a failed download or a
// malformed logger an older CSV file stays as it was.
#include "app/actions/ActionFiles.h"
#include "app/actions/ActionSteps.h"
#include "app/actions/ActionTransfer.h"
#include "app/actions/Actions.h"
#include "app/actions/ReceivedFiles.h"

#include "logger/ConvertLoggerFile.h"
#include "logger/DefaultCsvPath.h"
#include "support/ScratchFile.h"
#include "tftp/IdTrivialFTP.h"

#include <sstream>

namespace {

// The logger file's name on the device and beside the program.
const std::string kDeviceLogger = "plog.zel";
const std::string kShortcutCsv = "plog.csv";

const std::string kReceivedNotConverted = "Converting of received data failed!\r\r";

// Fetches the device's logger into a scratch file beside csvPath and converts it; returns the
// conversion's message.
std::string DownloadAndConvertLogger(ActionHost& host, const std::string& csvPath) {
    ActionTransfer transfer(host, Action::ReadLogger);
    // Received beside the CSV file, so that a failed download never touches another folder,
    // under a name of its own, and removed again whatever happens.
    ScratchFile received(csvPath, ".tmp");
    if (received.InPlaceOnly()) {
        // A folder that takes no new file: the logger (a few kilobytes) is received in memory,
        // and the CSV file written in place.
        std::ostringstream logger;
        transfer.Client().Download(kDeviceLogger, logger);
        return ConvertLoggerData(logger.str(), csvPath, false, host.LoggerTables());
    }
    if (received.Error()) {
        RaiseFileError("Cannot create file", received.Path(), received.Error());
    }
    transfer.Client().Download(kDeviceLogger, received.Path());
    return ConvertLoggerFile(received.Path(), csvPath, false, host.LoggerTables());
}

bool ReadLogger(ActionHost& host, const std::string& csvPath) {
    try {
        host.RememberFolder(Dialog::DlgReadLogger, FolderOf(csvPath));
        const std::string message = DownloadAndConvertLogger(host, csvPath);
        if (!message.empty()) {
            host.ShowWarning(kReceivedNotConverted + message);
            return false;
        }
        host.ShowInfo(kLoggerConverted + Quoted(csvPath));
        return true;
    } catch (const std::exception& error) {
        if (ReportFailure(host, Action::ReadLogger, "TFTP read zel logger failed!", error.what())) {
            throw;
        }
        return false;
    }
}

} // namespace

bool RunReadLogger(ActionHost& host) {
    const std::optional<std::string> csvPath =
        host.ChooseFile(Dialog::DlgReadLogger, "Select filename for received data");
    return csvPath && ConfirmOverwrite(host, *csvPath) && ReadLogger(host, *csvPath);
}

bool RunConvertLogger(ActionHost& host) {
    const std::optional<std::string> zelPath =
        host.ChooseFile(Dialog::DlgConvert, "Select filename with received zel logger data");
    return zelPath && ConvertLogger(host, *zelPath, DefaultCsvPath(*zelPath), false);
}

bool ConvertLogger(ActionHost& host, const std::string& zelPath, const std::string& csvPath,
                   bool includeEmpty) {
    if (!ConfirmOverwrite(host, csvPath)) {
        return false;
    }
    try {
        host.RememberFolder(Dialog::DlgConvert, FolderOf(zelPath));
        const std::string message =
            ConvertLoggerFile(zelPath, csvPath, includeEmpty, host.LoggerTables());
        if (!message.empty()) {
            host.ShowWarning("Converting of zel logger data failed!\r\r" + message);
            return false;
        }
        host.ShowInfo(kLoggerConverted + Quoted(csvPath));
        return true;
    } catch (const std::exception& error) {
        // A malformed block stops the conversion before it replaces anything: an older CSV
        // file, which the user agreed to have replaced but not lost, stays as it was.
        if (ReportFailure(host, Action::ConvertLogger, "convert zel logger data failed!",
                          error.what())) {
            throw;
        }
        return false;
    }
}

bool ConvertBesideProgram(ActionHost& host, const std::string& programFolder) {
    const std::string zelPath = programFolder + kDeviceLogger;
    if (!FileExists(zelPath)) {
        return false;
    }
    const std::string message =
        ConvertLoggerFile(zelPath, programFolder + kShortcutCsv, true, host.LoggerTables());
    if (!message.empty()) {
        host.ShowWarning(kReceivedNotConverted + message);
        return false;
    }
    host.ShowInfo("data of logger successfull converted to file " + Quoted(kShortcutCsv) +
                  "\r(including empty sets)");
    return true;
}
