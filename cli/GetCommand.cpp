// quorvel-cli get: the window's "Get file" on the command line.
#include "app/ReceivedFiles.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/LocalFiles.h"
#include "cli/TransferRun.h"
#include "support/FileNames.h"

#include <ostream>

namespace {

std::string LocalPathFor(const std::vector<std::string>& arguments, const std::string& name) {
    return arguments.size() < 2 ? name : FileOrInFolder(arguments[1], name);
}

} // namespace

std::string DeviceNamePart(const std::string& path) {
    const std::string name = DeviceFileName(path);
    return name == "." || name == ".." ? std::string() : name;
}

int RunGet(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& remote = arguments[0];
    const std::string name = DeviceNamePart(remote);
    if (remote.empty() || (arguments.size() < 2 && name.empty())) {
        throw UsageError("\"" + remote + "\" names no file; give LOCAL as well");
    }
    const std::string local = LocalPathFor(arguments, name);
    const TransferSettings settings = ReadTransferSettings(args);
    if (!MayReplace(local, settings.yes, io)) {
        return 1;
    }
    try {
        // An older file is replaced only by a complete one; a failed get leaves it as it was.
        RunTransfer(settings, io,
                    [&](TIdTrivialFTP& client) { DownloadReplacing(client, remote, local); });
    } catch (const std::exception& error) {
        io.err << MessageLines(std::string("TFTP get file failed!\r\r") + error.what()) << "\n";
        return 1;
    }
    io.out << "File \"" << local << "\" successfull received\n";
    return 0;
}
