#include "app/ProgramFiles.h"

#include "support/SettingsFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

std::string SettingsFileName(const std::string& programPath) {
    return std::filesystem::path(programPath).filename().replace_extension(".INI").string();
}

std::string SettingsPath(const std::string& programPath) {
    std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // The folder with its separator at the end, as the settings folder rule takes it.
    return SettingsFolderFor((folder / "").string()) + SettingsFileName(programPath);
}

std::string ApplicationTitle(const std::string& programPath) {
    const std::string name = std::filesystem::path(programPath).filename().string();
    std::string title = name.substr(0, name.find('.'));
    std::transform(title.begin() + std::min<std::size_t>(1, title.size()), title.end(),
                   title.begin() + std::min<std::size_t>(1, title.size()),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return title;
}
