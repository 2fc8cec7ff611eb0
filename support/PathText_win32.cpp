// On Windows a path is UTF-16, the form of the system's wide file calls.
#include "support/PathText.h"

#include "support/WideText.h"

#include <cwchar>

std::filesystem::path FilePath(std::string_view text) {
    return std::filesystem::path(WideText(text));
}

std::string PathText(const std::filesystem::path& path) {
    return Utf8Text(path.native());
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return ::_wfopen(FilePath(path).c_str(), WideText(mode).c_str());
}
