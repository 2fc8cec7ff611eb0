// A fresh folder under the system's temporary folder for one test, removed with everything in it
// at the end (also where the test took away its permissions), and whole-file reads and writes.
#pragma once

#include "support/PathText.h"

#include <filesystem>
#include <string>
#include <vector>

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "quorvel-");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of an entry, as text.
    std::string operator/(const std::string& name) const;

    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    // Names of everything in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
inline std::string ReadFile(const std::string& path) {
    return ReadFile(FilePath(path));
}
// Creates or empties the file and writes content; throws when it cannot.
void WriteFile(const std::filesystem::path& path, const std::string& content);
inline void WriteFile(const std::string& path, const std::string& content) {
    WriteFile(FilePath(path), content);
}
