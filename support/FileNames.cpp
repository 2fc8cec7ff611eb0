#include "support/FileNames.h"

#include <string_view>

namespace {

std::size_t NameStartAfter(const std::string& path, const char* delimiters) {
    const std::size_t last = path.find_last_of(delimiters);
    return last == std::string::npos ? 0 : last + 1;
}

// Where the file name begins: 0 for a path without a folder part.
std::size_t FileNameStart(const std::string& path) {
    return NameStartAfter(path, kNameDelimiters);
}

} // namespace

std::string FileName(const std::string& path) {
    return path.substr(FileNameStart(path));
}

std::string FolderPart(const std::string& path) {
    const std::size_t start = FileNameStart(path);
    return start == 0 ? std::string(".") + kPathSeparator : path.substr(0, start);
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() ||
        std::string_view(kPathSeparators).find(folder.back()) == std::string_view::npos) {
        folder += kPathSeparator;
    }
    return folder;
}

std::string WithoutExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= FileNameStart(path) ? path.substr(0, dot) : path;
}

std::string DeviceFileName(const std::string& path) {
    return path.substr(NameStartAfter(path, "/\\:"));
}
