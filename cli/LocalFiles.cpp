#include "cli/LocalFiles.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string FileOrInFolder(const std::string& path, const std::string& name) {
    std::error_code ignored;
    return fs::is_directory(path, ignored) ? (fs::path(path) / name).string() : path;
}
