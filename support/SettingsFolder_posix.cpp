// The settings folder of a program on a POSIX system: its own folder for a portable copy, the
// user's configuration folder for an installed one.
#include "support/SettingsFolder.h"

#include "support/FileNames.h"
#include "support/Platform.h"

#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

// The program folder of a system tree, wherever that tree is rooted.
bool IsSystemProgramFolder(std::string_view folder) {
    return folder.ends_with("/usr/bin/") || folder.ends_with("/usr/local/bin/");
}

// Whether this process may create a file in the folder, asked for its effective user.
bool MayCreateFilesIn(const std::string& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool HoldsSettingsFile(const std::string& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder + kQuorvelSettingsFile, error);
}

} // namespace

std::string SettingsFolderFor(const std::string& programDir) {
    if (HoldsSettingsFile(programDir) ||
        (!IsSystemProgramFolder(programDir) && MayCreateFilesIn(programDir))) {
        return programDir;
    }
    const std::string config = platform::UserConfigFolder();
    if (config.empty()) {
        return programDir;
    }
    return WithSeparator(config) + "quorvel/";
}
