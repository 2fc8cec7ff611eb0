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
    std::transform(title.begin() + std::min<std::size_t>(1, title.size()), title.end(),
                   title.begin() + std::min<std::size_t>(1, title.size()),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return title;
}
