#include "app/ProgramFiles.h"

#include "support/PathText.h"
#include "support/SettingsFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

std::string SettingsFileName(const std::string& programPath) {
    return PathText(FilePath(programPath).filename().replace_extension(".INI"));
}

std::string SettingsPath(const std::string& programPath) {
    std::filesystem::path folder = FilePath(programPath).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // The folder with its separator at the end, as the settings folder rule takes it.
    return SettingsFolderFor(PathText(folder / "")) + SettingsFileName(programPath);
}

std::string ApplicationTitle(const std::string& programPath) {
    const std::string name = PathText(FilePath(programPath).filename());
    std::string title = name.substr(0, name.find('.'));
    // Every letter after the first in lower case.
    const auto rest = title.begin() + (title.empty() ? 0 : 1);
    std::transform(rest, title.end(), rest,
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return title;
}
