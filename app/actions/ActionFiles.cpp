#include "app/actions/ActionFiles.h"

#include "support/CodePage.h"
#include "support/PathText.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

std::string RemoteName(const std::string& path) {
    return PathText(FilePath(path).filename());
}

std::string DeviceName(const std::string& name) {
    std::string unheld;
    std::optional<std::string> bytes = ToCodePage(name, &unheld);
    if (!bytes) {
        throw std::runtime_error("The file name " + Quoted(name) +
                                 " cannot be given to the device: its character " + Quoted(unheld) +
                                 " has no place in the system's code page.");
    }
    return *bytes;
}

std::string FolderOf(const std::string& path) {
    return PathText(FilePath(path).remove_filename());
}

std::string ExtensionOf(const std::string& path) {
    // Not path::extension(): a name that starts with its only dot (".pfw") has that extension.
    const std::string name = RemoteName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(FilePath(path), ignored);
}

bool PathTaken(const std::string& path) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(FilePath(path), ignored);
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
    const fs::path wanted = FilePath(path);
    const std::string name = LowerCase(PathText(wanted.filename()));
    std::vector<std::string> matches;
    std::error_code error;
    fs::directory_iterator entry(wanted.has_parent_path() ? wanted.parent_path() : ".", error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const fs::path found = entry->path().filename();
        if (LowerCase(PathText(found)) == name && FileExists(PathText(entry->path()))) {
            matches.push_back(PathText(wanted.parent_path() / found));
        }
    }
    return matches.empty() ? std::string() : std::ranges::min(matches);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}
