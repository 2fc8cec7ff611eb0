#include "support/LogSetup.h"

#include "support/FileNames.h"
#include "support/IntText.h"
#include "support/PathText.h"
#include "support/Platform.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Reading stops past this many characters; so long a word counts as no valid integer.
constexpr std::size_t kMaxWord = 4096;

// The program file's name without folder and extension.
std::string ProgramName(const std::string& programPath) {
    return WithoutExtension(FileName(programPath));
}

} // namespace

bool MarkerExists(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(FilePath(path), error)) {
        return false;
    }
    std::ifstream probe(FilePath(path), std::ios::binary);
    return probe.is_open();
}

std::int32_t ReadDebugLevel(const std::string& path) {
    if (!MarkerExists(path)) {
        return 0;
    }
    std::ifstream in(FilePath(path), std::ios::binary);
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
    return WithSeparator(base) + "Xqd" + kPathSeparator + ProgramName(programPath) + kPathSeparator;
}

void CreateDataFolder(const std::string& programDir, const std::string& programPath) {
    const std::string folder = DataFolderFor(platform::AllUsersDataFolder(),
                                             platform::UserDataFolder(), programDir, programPath);
    std::error_code error;
    fs::create_directories(FilePath(folder), error);
}
