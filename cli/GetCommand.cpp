// quorvel-cli get: the window's "Get file", fetching REMOTE into LOCAL.
#include "app/actions/Actions.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/FleetCommand.h"
#include "cli/LocalFiles.h"
#include "support/FileNames.h"

namespace {

std::string LocalPathFor(const std::vector<std::string>& arguments, const std::string& name) {
    return arguments.size() < 2 ? name : FileOrInFolder(arguments[1], name);
}

} // namespace

std::string DeviceNamePart(const std::string& path) {
    const std::string name = DeviceFileName(path);
    return name == "." || name == ".." ? std::string() : name;
}

int GetCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    if (IsFleetRun(args)) {
        return RunFleet(FleetCommand::Get, arguments, args, io);
    }
    const std::string& remote = arguments[0];
    const std::string name = DeviceNamePart(remote);
    if (remote.empty() || (arguments.size() < 2 && name.empty())) {
        throw UsageError("\"" + remote + "\" names no file; give LOCAL as well");
    }
    ConsoleHost host(io, std::nullopt, ReadTransferSettings(args), {});
    return GetFile(host, remote, LocalPathFor(arguments, name)) ? 0 : 1;
}
