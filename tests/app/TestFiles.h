// Temporary folders and whole-file reads and writes for the window's tests.
#pragma once

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

std::string ReadFileText(const fs::path& path);
void WriteFileText(const fs::path& path, const std::string& text);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};
