// quorvel-cli get: the window's "Get file" on the command line.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/TransferRun.h"
#include "tftp/IdTrivialFTP.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

std::string LocalPathFor(const std::vector<std::string>& arguments, const std::string& name) {
    if (arguments.size() < 2) {
        return name;
    }
    // Like cp: a folder receives the file under the remote name.
    const std::string& local = arguments[1];
    std::error_code ignored;
    return fs::is_directory(local, ignored) ? (fs::path(local) / name).string() : local;
}

// After a failed get no file of the chosen name remains: neither the part received nor an
// older file the user agreed to replace. A folder is never removed.
void RemoveLocalFile(const std::string& path) {
    std::error_code ignored;
    if (!fs::is_directory(fs::symlink_status(path, ignored))) {
        fs::remove(path, ignored);
    }
}

bool MayWrite(const std::string& local, bool yes, CliIo& io) {
    std::error_code ignored;
    if (yes || !fs::exists(fs::symlink_status(local, ignored))) {
        return true;
    }
    const std::string exists = "File \"" + local + "\" already exists!";
    if (!io.inIsTerminal) {
        io.err << exists << "\nNot overwritten; add --yes to replace it.\n";
        return false;
    }
    return AskYesNo(io, exists + "\rOverwrite?");
}

} // namespace

std::string DeviceNamePart(const std::string& path) {
    const auto separator = path.find_last_of("/\\:");
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
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
    if (!MayWrite(local, settings.yes, io)) {
        return 1;
    }
    try {
        RunTransfer(settings, io, [&](TIdTrivialFTP& client) { client.Download(remote, local); });
    } catch (const std::exception& error) {
        RemoveLocalFile(local);
        io.err << MessageLines(std::string("TFTP get file failed!\r\r") + error.what()) << "\n";
        return 1;
    }
    io.out << "File \"" << local << "\" successfull received\n";
    return 0;
}
