// quorvel-cli firmware: the window's "Firmware update", with IMAGE as the dialog's choice.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/FleetCommand.h"

const std::vector<OptionDef>& FirmwareOptionDefs() {
    static const std::vector<OptionDef> definitions = DeviceCommandOptions({
        {"quiet", false},
        {"settings", true},
    });
    return definitions;
}

int FirmwareCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    if (IsFleetRun(args)) {
        return RunFleet(FleetCommand::Firmware, arguments, args, io);
    }
    const std::string& image = arguments[0];
    if (image.empty()) {
        throw UsageError("name the firmware image (.pfw or .pfo)");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleHost host(io, image, settings, TablesSettingsFile(args));
    return RunFirmwareUpdate(host) ? 0 : 1;
}
