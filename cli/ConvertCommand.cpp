// quorvel-cli convert: the window's "only convert" on the command line.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/LocalFiles.h"
#include "logger/ConvertLoggerFile.h"
#include "logger/DefaultCsvPath.h"
#include "support/Save_Err.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

// The window's settings file, which holds the tables "zel-codes" and "zel-select"; the window
// is the program quorvel in the same folder.
constexpr const char* kWindowSettingsFile = "quorvel.INI";

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

} // namespace

std::string TablesSettingsFile(const ParsedArgs& args) {
    const auto named = args.Value("settings");
    if (!named) {
        return ProgramDir() + kWindowSettingsFile;
    }
    // A settings file that is missing would only give empty tables; a name given on purpose
    // that misses is a mistake worth telling.
    std::error_code ignored;
    if (!fs::is_regular_file(*named, ignored)) {
        throw UsageError("settings file \"" + *named + "\" not found");
    }
    return *named;
}

const std::vector<OptionDef>& ConvertOptionDefs() {
    static const std::vector<OptionDef> definitions = {
        {"include-empty", false},
        {"yes", false},
        {"settings", true},
    };
    return definitions;
}

int RunConvert(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& zel = arguments[0];
    if (zel.empty()) {
        throw UsageError("name the logger file to convert");
    }
    const std::string defaultCsv = DefaultCsvPath(zel);
    const std::string csv =
        arguments.size() < 2
            ? defaultCsv
            : FileOrInFolder(arguments[1], fs::path(defaultCsv).filename().string());
    const std::string settings = TablesSettingsFile(args);
    if (!MayReplace(csv, args.Has("yes"), io)) {
        return 1;
    }
    std::string message;
    try {
        message =
            ConvertLoggerFile(zel, csv, args.Has("include-empty"), SettingsFileTables(settings));
    } catch (const std::exception& error) {
        // The CSV file goes, as in the window; but when it names the logger file itself, that
        // is the user's data and was never written.
        if (!SameFile(zel, csv)) {
            RemoveLocalFile(csv);
        }
        io.err << MessageLines(std::string("convert zel logger data failed!\r\r") + error.what())
               << "\n";
        return 1;
    }
    if (!message.empty()) {
        io.err << MessageLines("Converting of zel logger data failed!\r\r" + message) << "\n";
        return 1;
    }
    io.out << "data of logger successfull received and converted to file \"" << csv << "\"\n";
    return 0;
}
