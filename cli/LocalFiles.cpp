#include "cli/LocalFiles.h"

#include "support/PathText.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string FileOrInFolder(const std::string& path, const std::string& name) {
    std::error_code ignored;
    const fs::path folder = FilePath(path);
    return fs::is_directory(folder, ignored) ? PathText(folder / FilePath(name)) : path;
}
