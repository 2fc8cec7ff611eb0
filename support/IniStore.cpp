#include "support/IniStore.h"

#include "support/PathText.h"
#include "support/Platform.h"
#include "support/ScratchFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

std::string_view TrimIniText(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

namespace {

// Names are compared without regard to case in the ASCII letters; other bytes must match.
bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ReadWholeFile(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(FilePath(path), error)) {
        throw std::runtime_error("Cannot read settings file \"" + path + "\": it is a folder");
    }
    std::ifstream in(FilePath(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("open failed for \"" + path + "\": " + std::strerror(errno));
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("read failed for \"" + path + "\"");
    }
    return text;
}

// What many editors put before the first line of a UTF-8 file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A file whose last line has no line end still ends that line.
std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

IniStore::IniStore(std::string filePath) : path_(std::move(filePath)) {
    std::error_code error;
    const auto status = fs::status(::FilePath(path_), error);
    if (status.type() == fs::file_type::not_found) {
        return;
    }
    if (error) {
        throw std::runtime_error("Cannot read settings file \"" + path_ + "\": " + error.message());
    }
    Parse(ReadWholeFile(path_));
}

bool IniStore::Line::IsBlank() const {
    return kind == Kind::Note && TrimIniText(text).empty();
}

void IniStore::Parse(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        AddLine(WithoutLineEnd(text.substr(0, end)));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

void IniStore::AddLine(std::string_view raw) {
    const std::string_view line = TrimIniText(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        sections_.push_back({std::string(TrimIniText(line.substr(1, line.size() - 2))), {}});
        return;
    }
    if (sections_.empty()) {
        leading_.push_back({Line::Kind::Note, std::string(raw), {}});
        return;
    }
    auto& lines = sections_.back().lines;
    if (line.empty() || line.front() == ';') {
        lines.push_back({Line::Kind::Note, std::string(raw), {}});
        return;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        lines.push_back({Line::Kind::Bare, std::string(line), {}});
    } else {
        lines.push_back({Line::Kind::Entry, std::string(TrimIniText(line.substr(0, equals))),
                         std::string(TrimIniText(line.substr(equals + 1)))});
    }
}

std::size_t IniStore::IndexOf(const std::string& section) const {
    std::size_t index = 0;
    while (index < sections_.size() && !SameName(sections_[index].name, section)) {
        ++index;
    }
    return index;
}

std::vector<const IniStore::Line*> IniStore::EntriesOf(const std::string& section) const {
    std::vector<const Line*> result;
    const std::size_t index = IndexOf(section);
    if (index < sections_.size()) {
        for (const auto& line : sections_[index].lines) {
            if (line.IsEntry()) {
                result.push_back(&line);
            }
        }
    }
    return result;
}

std::optional<std::string> IniStore::Read(const std::string& section,
                                          const std::string& key) const {
    for (const Line* line : EntriesOf(section)) {
        if (line->kind == Line::Kind::Entry && SameName(line->text, key)) {
            return line->value;
        }
    }
    return std::nullopt;
}

// Blank lines at the end of a section, and the comments after them, usually introduce the next
// section and stay in front of it.
std::size_t IniStore::InsertionPoint(const std::vector<Line>& lines) {
    std::size_t point = 0;
    bool attached = true; // no blank line since the header or the last entry
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].IsBlank()) {
            attached = false;
        } else if (lines[i].IsEntry() || attached) {
            point = i + 1;
            attached = true;
        }
    }
    return point;
}

void IniStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    const std::size_t index = IndexOf(section);
    if (index == sections_.size()) {
        sections_.push_back({section, {}});
    }
    auto& lines = sections_[index].lines;
    for (auto& line : lines) {
        if (line.kind == Line::Kind::Entry && SameName(line.text, key)) {
            // The name takes the writer's spelling, so a save tidies the case of known keys.
            line.text = key;
            line.value = value;
            return;
        }
    }
    const auto point = static_cast<std::ptrdiff_t>(InsertionPoint(lines));
    lines.insert(lines.begin() + point, {Line::Kind::Entry, key, value});
}

std::vector<IniStore::Entry> IniStore::Section(const std::string& section) const {
    std::vector<Entry> result;
    for (const Line* line : EntriesOf(section)) {
        result.emplace_back(line->text, line->value);
    }
    return result;
}

std::vector<std::string> IniStore::SectionLines(const std::string& section) const {
    std::vector<std::string> result;
    for (const Line* line : EntriesOf(section)) {
        result.push_back(line->AsWritten());
    }
    return result;
}

std::string IniStore::Serialize() const {
    std::string text(byteOrderMark_ ? kByteOrderMark : "");
    const auto put = [&text](const Line& line) { text += line.AsWritten() + "\r\n"; };
    for (const auto& line : leading_) {
        put(line);
    }
    for (const auto& sect : sections_) {
        text += "[" + sect.name + "]\r\n";
        for (const auto& line : sect.lines) {
            put(line);
        }
        // One blank line after the entries of every section. A section that ends in a blank
        // line or a comment (which may introduce the next section) is left as it stands.
        if (sect.lines.empty() || sect.lines.back().IsEntry()) {
            text += "\r\n";
        }
    }
    return text;
}

void IniStore::Flush() const {
    // A file reached through a link is replaced where it lives, so the link survives the save.
    std::error_code error;
    const fs::path link = ::FilePath(path_);
    const fs::path resolved = fs::is_symlink(link, error) ? fs::canonical(link, error) : "";
    const std::string target = error || resolved.empty() ? path_ : PathText(resolved);
    if (platform::IsReadOnlyFile(target)) {
        throw std::runtime_error("Cannot write settings file \"" + path_ + "\": it is read-only");
    }
    const std::string text = Serialize();
    try {
        WriteFileAtomically(target, text);
    } catch (const NoScratchFile&) {
        // A shared install may leave only the settings file writable, not its folder.
        NoteWrittenInPlace(target);
        platform::WriteFileInPlace(target, text);
    }
}
