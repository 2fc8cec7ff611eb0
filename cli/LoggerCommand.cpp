// quorvel-cli logger: the window's "Read zel logger", with CSV as the dialog's choice.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/FleetCommand.h"

const std::vector<OptionDef>& LoggerOptionDefs() {
    static const std::vector<OptionDef> definitions = DeviceCommandOptions({
        {"yes", false},
        {"quiet", false},
        {"settings", true},
    });
    return definitions;
}

int LoggerCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    if (IsFleetRun(args)) {
        return RunFleet(FleetCommand::Logger, arguments, args, io);
    }
    const std::string& csv = arguments[0];
    if (csv.empty()) {
        throw UsageError("name the CSV file to write");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleHost host(io, csv, settings, TablesSettingsFile(args));
    return RunReadLogger(host) ? 0 : 1;
}
