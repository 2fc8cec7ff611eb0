// quorvel-cli convert: the window's "only convert", converting ZEL into CSV.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/LocalFiles.h"
#include "logger/DefaultCsvPath.h"
#include "support/PathText.h"
#include "support/Save_Err.h"
#include "support/SettingsFolder.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string TablesSettingsFile(const ParsedArgs& args) {
    const auto named = args.Value("settings");
    if (!named) {
        // The window's settings file, where the window beside this program keeps it.
        return SettingsDir() + kQuorvelSettingsFile;
    }
    // A settings file that is missing would only give empty tables; a name given on purpose
    // that misses is a mistake worth telling.
    std::error_code ignored;
    if (!fs::is_regular_file(FilePath(*named), ignored)) {
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

int ConvertCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& zel = arguments[0];
    if (zel.empty()) {
        throw UsageError("name the logger file to convert");
    }
    const std::string defaultCsv = DefaultCsvPath(zel);
    const std::string csv =
        arguments.size() < 2
            ? defaultCsv
            : FileOrInFolder(arguments[1], PathText(FilePath(defaultCsv).filename()));
    TransferSettings answers;
    answers.yes = args.Has("yes");
    ConsoleHost host(io, std::nullopt, answers, TablesSettingsFile(args));
    return ConvertLogger(host, zel, csv, args.Has("include-empty")) ? 0 : 1;
}
