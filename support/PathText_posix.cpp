// On Linux a path is a string of bytes, which is the text as it is.
#include "support/PathText.h"

std::filesystem::path FilePath(std::string_view text) {
    return std::filesystem::path(text);
}

std::string PathText(const std::filesystem::path& path) {
    return path.native();
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}
