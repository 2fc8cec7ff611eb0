#include "app/actions/ActionFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

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

bool PathTaken(const std::string& path) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(path, ignored);
    return fs::exists(status) && !fs::is_directory(status);
}

std::string LowerCase(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    return text;
}

std::string FileIgnoringCase(const std::string& path) {
    if (FileExists(path)) {
        return path;
    }
    const fs::path wanted(path);
    const std::string name = LowerCase(wanted.filename().string());
    std::vector<std::string> matches;
    std::error_code error;
    fs::directory_iterator entry(wanted.has_parent_path() ? wanted.parent_path() : ".", error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const std::string found = entry->path().filename().string();
        if (LowerCase(found) == name && FileExists(entry->path().string())) {
            matches.push_back((wanted.parent_path() / found).string());
        }
    }
    return matches.empty() ? std::string() : std::ranges::min(matches);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}
