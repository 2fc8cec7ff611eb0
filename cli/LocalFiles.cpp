#include "cli/LocalFiles.h"

#include "cli/Console.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

bool MayReplace(const std::string& path, bool yes, CliIo& io) {
    std::error_code ignored;
    if (yes || !fs::exists(fs::symlink_status(path, ignored))) {
        return true;
    }
    const std::string exists = "File \"" + path + "\" already exists!";
    if (!io.inIsTerminal) {
        io.err << exists << "\nNot overwritten; add --yes to replace it.\n";
        return false;
    }
    return AskYesNo(io, exists + "\rOverwrite?");
}

void RemoveLocalFile(const std::string& path) {
    std::error_code ignored;
    if (!fs::is_directory(fs::symlink_status(path, ignored))) {
        fs::remove(path, ignored);
    }
}

std::string FileOrInFolder(const std::string& path, const std::string& name) {
    std::error_code ignored;
    return fs::is_directory(path, ignored) ? (fs::path(path) / name).string() : path;
}
