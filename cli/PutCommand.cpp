// quorvel-cli put: the window's "Put file", sending LOCAL under REMOTE.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/FleetCommand.h"

#include "support/PathText.h"

std::string PutRemoteName(const std::vector<std::string>& arguments) {
    const std::string& local = arguments[0];
    const std::string remote =
        arguments.size() > 1 ? arguments[1] : PathText(FilePath(local).filename());
    if (local.empty() || remote.empty()) {
        throw UsageError("\"" + local + "\" names no file to send");
    }
    return remote;
}

int PutCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    if (IsFleetRun(args)) {
        return RunFleet(FleetCommand::Put, arguments, args, io);
    }
    const std::string remote = PutRemoteName(arguments);
    ConsoleHost host(io, std::nullopt, ReadTransferSettings(args), {});
    return PutFile(host, arguments[0], remote) ? 0 : 1;
}
