// quorvel-cli wake: the window's "Set transfer mode", run by the window's own action: "&" three
// times on the serial line, then the device's answer as it came.
#include "cli/Commands.h"
#include "cli/ConsoleForm.h"

namespace {

// What the window shows when the device did not answer.
const std::string kTransferModeFailed = "Start of Transfer mode failed!";

} // namespace

const std::vector<OptionDef>& WakeOptionDefs() {
    // --host is known only to say that it does not apply.
    static const std::vector<OptionDef> definitions = {
        {"com", true},
        {"timeout", true},
        {"settings", true},
        {"host", true},
    };
    return definitions;
}

int RunWake(const std::vector<std::string>& /*arguments*/, const ParsedArgs& args, CliIo& io) {
    if (!args.Has("com") || args.Has("host")) {
        throw UsageError("wake works on the serial line only: name it with --com N");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleForm console(io, {}, TablesSettingsFile(args));
    console.Connect(settings);
    console.Form().btnsetTransfermodeClick();
    // No answer is shown as information, but the device was not woken.
    return console.Toolkit().LastInformation() == kTransferModeFailed ? 1 : console.Status();
}
