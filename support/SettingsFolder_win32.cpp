// A Windows copy of Quorvel is the portable zip: its settings stay beside the .exe.
#include "support/SettingsFolder.h"

std::string SettingsFolderFor(const std::string& programDir) {
    return programDir;
}
