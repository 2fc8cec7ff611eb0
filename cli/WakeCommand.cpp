// quorvel-cli wake: the window's "Set transfer mode": "&" three times on the serial line, then
// the device's answer as it came.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"

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

int WakeCommand(const std::vector<std::string>& /*arguments*/, const ParsedArgs& args, CliIo& io) {
    if (!args.Has("com") || args.Has("host")) {
        throw UsageError("wake works on the serial line only: name it with --com N");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    ConsoleHost host(io, std::nullopt, settings, {});
    return SetTransferMode(host, settings.comPort, settings.timeoutSeconds, *io.clock) ? 0 : 1;
}
