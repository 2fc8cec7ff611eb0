// quorvel-cli logger: the window's "Read zel logger", run by the window's own action.
#include "cli/Commands.h"
#include "cli/ConsoleForm.h"

const std::vector<OptionDef>& LoggerOptionDefs() {
    static const std::vector<OptionDef> definitions = {
        {"host", true},    {"port", true}, {"com", true},    {"gap", true},
        {"timeout", true}, {"yes", false}, {"quiet", false}, {"settings", true},
    };
    return definitions;
}

int RunLogger(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& csv = arguments[0];
    if (csv.empty()) {
        throw UsageError("name the CSV file to write");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleForm console(io, {.dialogPath = csv, .yes = settings.yes, .quiet = settings.quiet},
                        TablesSettingsFile(args));
    console.Connect(settings);
    console.Form().btnReadLoggerClick();
    return console.Status();
}
