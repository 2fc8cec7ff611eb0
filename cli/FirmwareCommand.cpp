// quorvel-cli firmware: the window's "Firmware update", run by the window's own action.
#include "cli/Commands.h"
#include "cli/ConsoleForm.h"

const std::vector<OptionDef>& FirmwareOptionDefs() {
    static const std::vector<OptionDef> definitions = {
        {"host", true},    {"port", true},   {"com", true},      {"gap", true},
        {"timeout", true}, {"quiet", false}, {"settings", true},
    };
    return definitions;
}

int RunFirmware(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& image = arguments[0];
    if (image.empty()) {
        throw UsageError("name the firmware image (.pfw or .pfo)");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleForm console(io, {.dialogPath = image, .quiet = settings.quiet},
                        TablesSettingsFile(args));
    console.Connect(settings);
    console.Form().btnFirmwareClick();
    return console.Status();
}
