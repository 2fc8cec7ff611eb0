#include "support/IniStore.h"

#include "support/Platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

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
    if (fs::is_directory(path, error)) {
        throw std::runtime_error("Cannot read settings file \"" + path + "\": it is a folder");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("open failed for \"" + path + "\": " + std::strerror(errno));
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("read failed for \"" + path + "\"");
    }
    return text;
}

} // namespace

IniStore::IniStore(std::string filePath) : path_(std::move(filePath)) {
    std::error_code error;
    const auto status = fs::status(path_, error);
    if (status.type() == fs::file_type::not_found) {
        return;
    }
    if (error) {
        throw std::runtime_error("Cannot read settings file \"" + path_ + "\": " + error.message());
    }
    Parse(ReadWholeFile(path_));
}

void IniStore::Parse(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        if (sections_.empty()) {
            continue;
        }
        auto& entries = sections_.back().entries;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            entries.push_back({std::string(line), {}, false});
        } else {
            entries.push_back({std::string(Trim(line.substr(0, equals))),
                               std::string(Trim(line.substr(equals + 1))), true});
        }
    }
}

std::size_t IniStore::IndexOf(const std::string& section) const {
    std::size_t index = 0;
    while (index < sections_.size() && !SameName(sections_[index].name, section)) {
        ++index;
    }
    return index;
}

std::optional<std::string> IniStore::Read(const std::string& section,
                                          const std::string& key) const {
    const std::size_t index = IndexOf(section);
    if (index < sections_.size()) {
        for (const auto& item : sections_[index].entries) {
            if (item.hasValue && SameName(item.name, key)) {
                return item.value;
            }
        }
    }
    return std::nullopt;
}

void IniStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    const std::size_t index = IndexOf(section);
    if (index == sections_.size()) {
        sections_.push_back({section, {}});
    }
    auto& entries = sections_[index].entries;
    for (auto& item : entries) {
        if (item.hasValue && SameName(item.name, key)) {
            // The name takes the writer's spelling, so a save tidies the case of known keys.
            item.name = key;
            item.value = value;
            return;
        }
    }
    entries.push_back({key, value, true});
}

std::vector<IniStore::Entry> IniStore::Section(const std::string& section) const {
    std::vector<Entry> result;
    const std::size_t index = IndexOf(section);
    if (index < sections_.size()) {
        for (const auto& item : sections_[index].entries) {
            result.emplace_back(item.name, item.value);
        }
    }
    return result;
}

std::vector<std::string> IniStore::SectionLines(const std::string& section) const {
    std::vector<std::string> result;
    const std::size_t index = IndexOf(section);
    if (index < sections_.size()) {
        for (const auto& item : sections_[index].entries) {
            result.push_back(item.hasValue ? item.name + "=" + item.value : item.name);
        }
    }
    return result;
}

std::string IniStore::Serialize() const {
    std::string text;
    for (const auto& sect : sections_) {
        text += "[" + sect.name + "]\r\n";
        for (const auto& item : sect.entries) {
            text += item.hasValue ? item.name + "=" + item.value : item.name;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void IniStore::Flush() const {
    // A file reached through a link is replaced where it lives, so the link survives the save.
    std::error_code error;
    const fs::path resolved = fs::is_symlink(path_, error) ? fs::canonical(path_, error) : "";
    const std::string target = error || resolved.empty() ? path_ : resolved.string();
    if (platform::IsReadOnlyFile(target)) {
        throw std::runtime_error("Cannot write settings file \"" + path_ + "\": it is read-only");
    }
    platform::WriteFileAtomically(target, Serialize());
}
