// In-memory image of one settings file ("[section]" headers and "name=value" entries).
// Section and key names are matched without regard to case; sections and entries keep the order
// in which they were loaded, new ones are appended.
//
// The technicians edit the file by hand, so everything the program does not understand stays
// where it stood: comment lines (starting with ";"), blank lines and lines before the first
// section are written back unchanged. A section whose last line is an entry is followed by one
// blank line, so a file written from scratch has one after every section and repeated saves add
// none. A UTF-8 byte-order mark at the start of the file (as many editors write it) is skipped
// and written back.
//
// Lines may end in CR LF or in LF alone (a CR directly before the LF belongs to the line end);
// the image is always written with CR LF. Surrounding blanks and control characters are removed
// from section names, entry names and values. A line without "=" inside a section is kept as a
// whole entry without value and written back without "=". Text is single-byte and every byte
// is kept as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Text of a settings-file line, name or value without the blanks and control characters around
// it, as the loader takes it.
std::string_view TrimIniText(std::string_view text);

class IniStore {
public:
    using Entry = std::pair<std::string, std::string>; // name, value

    // Loads the whole file; a missing file gives an empty image. An unreadable file throws
    // std::runtime_error.
    explicit IniStore(std::string filePath);

    const std::string& FilePath() const { return path_; }

    std::optional<std::string> Read(const std::string& section, const std::string& key) const;
    // Changes the key where it stands; a new key goes after the last entry of its section.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // All entries of a section in file order; empty when the section is missing. An entry
    // without "=" comes as its whole line with an empty value.
    std::vector<Entry> Section(const std::string& section) const;

    // The entries of a section as they are written to the file: "name=value", or the whole line
    // of an entry without "=".
    std::vector<std::string> SectionLines(const std::string& section) const;

    // Writes the whole image back to the file (CR LF line ends). The old file is replaced only
    // once the new content is completely on disk; where the folder allows no new file beside it,
    // the file is rewritten in place. A read-only file is left as it was. Failures throw
    // std::runtime_error.
    void Flush() const;

private:
    struct Line {
        enum class Kind {
            Entry, // name=value
            Bare,  // a line without "=": text is the whole line
            Note,  // a comment or blank line, kept as it stands
        };
        Kind kind = Kind::Entry;
        std::string text; // the entry's name, or the whole line
        std::string value;

        bool IsEntry() const { return kind != Kind::Note; }
        bool IsBlank() const;
        std::string AsWritten() const { return kind == Kind::Entry ? text + "=" + value : text; }
    };
    struct Sect {
        std::string name;
        std::vector<Line> lines;
    };

    void Parse(std::string_view text);
    void AddLine(std::string_view raw);
    std::string Serialize() const;
    // Position of the first section of that name; the number of sections when there is none.
    std::size_t IndexOf(const std::string& section) const;
    // The entries of a section in file order; none when the section is missing.
    std::vector<const Line*> EntriesOf(const std::string& section) const;
    // Where a new key goes: after the last entry of its section, or after a comment that hangs
    // below an entry or the header.
    static std::size_t InsertionPoint(const std::vector<Line>& lines);

    std::string path_;
    bool byteOrderMark_ = false;
    std::vector<Line> leading_; // the lines before the first section
    std::vector<Sect> sections_;
};
