#include "support/LogSetup.h"

#include "support/IntText.h"
#include "support/Platform.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Reading stops past this many characters; so long a word counts as no valid integer.
constexpr std::size_t kMaxWord = 4096;

std::string WithSeparator(std::string folder) {
    // "C:/ProgramData/" already ends in a separator on Windows, though not in its own one.
    if (folder.empty() ||
        std::string_view(platform::kPathSeparators).find(folder.back()) == std::string_view::npos) {
        folder += platform::kPathSeparator;
    }
    return folder;
}

// The program file's name without folder and extension.
std::string ProgramName(const std::string& programPath) {
    const auto slash = programPath.find_last_of(platform::kNameDelimiters);
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

} // namespace

bool MarkerExists(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    return probe.is_open();
}

std::int32_t ReadDebugLevel(const std::string& path) {
    if (!MarkerExists(path)) {
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    const auto isBlank = [](int c) { return c <= ' '; };
    int c = in.get();
    while (c != std::char_traits<char>::eof() && isBlank(c)) {
        c = in.get();
    }
    std::string word;
    while (c != std::char_traits<char>::eof() && !isBlank(c) && word.size() <= kMaxWord) {
        word += static_cast<char>(c);
        c = in.get();
    }
    if (word.empty()) {
        return 0;
    }
    if (word.size() > kMaxWord) {
        return 1;
    }
    return ParseInt32(word).value_or(1);
}

std::string DataFolderFor(const std::string& allUsers, const std::string& user,
                          const std::string& programDir, const std::string& programPath) {
    std::string base = allUsers;
    if (base.size() < 5) {
        base = user;
    }
    if (base.size() < 5) {
        base = programDir;
    }
    const char sep = platform::kPathSeparator;
    return WithSeparator(base) + "Xqd" + sep + ProgramName(programPath) + sep;
}

void CreateDataFolder(const std::string& programDir, const std::string& programPath) {
    const std::string folder = DataFolderFor(platform::AllUsersDataFolder(),
                                             platform::UserDataFolder(), programDir, programPath);
    std::error_code error;
    fs::create_directories(folder, error);
}
