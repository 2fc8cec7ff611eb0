// In-memory image of one settings file ("[section]" headers and "name=value" entries).
// Section and key names are matched without regard to case; sections and entries keep the order
// in which they were loaded, new ones are appended. Comments, blank lines and lines before the
// first section are not kept.
//
// Lines may end in CR LF or in LF alone (a CR directly before the LF belongs to the line end);
// the image is always written with CR LF. Surrounding blanks and control characters are removed
// from section names, entry names and values. A line without "=" inside a section is kept as a
// whole entry without value and written back without "=". Text is single-byte and every byte
// is kept as it is.
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

    // All entries of a section in file order; empty when the section is missing. An entry
    // without "=" comes as its whole line with an empty value.
    std::vector<Entry> Section(const std::string& section) const;

    // The entries of a section as they are written to the file: "name=value", or the whole line
    // of an entry without "=".
    std::vector<std::string> SectionLines(const std::string& section) const;

    // Writes the whole image back to the file (CR LF line ends). The old file is replaced only
    // once the new content is completely on disk; a read-only file is left as it was. Failures
    // throw std::runtime_error.
    void Flush() const;

private:
    struct Item {
        std::string name; // the whole line for an entry without "="
        std::string value;
        bool hasValue = true;
    };
    struct Sect {
        std::string name;
        std::vector<Item> entries;
    };

    void Parse(const std::string& text);
    std::string Serialize() const;
    // Position of the first section of that name; the number of sections when there is none.
    std::size_t IndexOf(const std::string& section) const;

    std::string path_;
    std::vector<Sect> sections_;
};
