#include "app/ActionFiles.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string RemoteName(const std::string& path) {
    return fs::path(path).filename().string();
}

std::string FolderOf(const std::string& path) {
    return fs::path(path).remove_filename().string();
}

std::string ExtensionOf(const std::string& path) {
    // Not path::extension(): a name that starts with its only dot (".pfw") has that extension.
    const std::string name = RemoteName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

void RemoveFile(const std::string& path) {
    std::error_code ignored;
    // Never a folder, not even an empty one that happens to carry the name.
    if (!fs::is_directory(path, ignored)) {
        fs::remove(path, ignored);
    }
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}
