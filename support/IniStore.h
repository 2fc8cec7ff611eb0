// In-memory image of one settings file ("[section]" headers and "name=value" entries).
// Section and key names are matched without regard to case; sections and entries keep the order
// in which they were loaded, new ones are appended. Comments, blank lines and lines before the
// first section are not kept.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class IniStore {
public:
    using Entry = std::pair<std::string, std::string>; // name, value

    // Loads the whole file; a missing file gives an empty image. An unreadable file throws
    // std::runtime_error.
    explicit IniStore(std::string filePath);

    const std::string& FilePath() const { return path_; }

    std::optional<std::string> Read(const std::string& section, const std::string& key) const;
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // All entries of a section in file order; empty when the section is missing.
    std::vector<Entry> Section(const std::string& section) const;

    // Writes the whole image back to the file (CR LF line ends). The old file is replaced only
    // once the new content is completely on disk; a read-only file is left as it was. Failures
    // throw std::runtime_error.
    void Flush() const;

private:
    struct Sect {
        std::string name;
        std::vector<Entry> entries;
    };
    std::string path_;
    std::vector<Sect> sections_;
};
