// libFuzzer target over the settings file: whatever bytes the file holds are loaded, saved and
// loaded again, and the COM table is read from them.
//
// Input: the file, optionally followed by a section, a key and a value (parts cut at the
// separator) that are written into the image afterwards and saved, as the window does with its
// keys.
//
// Besides "no crash, no sanitizer report": the second load agrees with the first (the same
// entries in every section, found by the same names); a second save writes the very bytes of the
// first; a written entry that a settings file can hold reads back as written; the COM table names
// a device only for numbers from 1 on, and never an empty one.
#include "fuzz/FuzzInput.h"
#include "serial/ComPortMap.h"
#include "support/IniStore.h"
#include "support/PathText.h"

#include <fstream>
#include <iterator>

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names of the sections of a saved file (and perhaps a few more): the section lookups of two
// images are compared under each.
std::vector<std::string> SectionNames(std::string_view saved) {
    std::vector<std::string> names{"Param", "zel-codes", "zel-select", "ComPorts"};
    for (std::string_view rest = saved; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = TrimIniText(rest.substr(0, end));
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            names.emplace_back(TrimIniText(line.substr(1, line.size() - 2)));
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return names;
}

// A name or value that a line of the file can hold as it is: no control characters, no blanks
// at either end.
bool Plain(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) {
            return false;
        }
    }
    return TrimIniText(text) == text;
}

// An entry that reads back as written: a line "key=value" that is neither a section header nor a
// comment, in a section whose header line is one.
bool Representable(const std::string& section, const std::string& key, const std::string& value) {
    return Plain(section) && Plain(key) && Plain(value) && key.find('=') == std::string::npos &&
           !key.starts_with(';') && !(key.starts_with('[') && value.ends_with(']'));
}

void CheckSameImage(const IniStore& first, const IniStore& second, std::string_view saved) {
    for (const std::string& name : SectionNames(saved)) {
        const auto entries = first.Section(name);
        Check(entries == second.Section(name), "a section reloads with the same entries");
        Check(first.SectionLines(name) == second.SectionLines(name), "and the same lines");
        for (const auto& [key, value] : entries) {
            Check(first.Read(name, key) == second.Read(name, key), "a key finds the same value");
        }
    }
}

void CheckComTable(const std::string& path) {
    LoadComPortMap(path);
    Check(!MappedComDevice(0) && !MappedComDevice(-1), "no COM number below 1 is mapped");
    for (std::int32_t number = 1; number <= 300; ++number) {
        const auto device = MappedComDevice(number);
        Check(!device || !device->empty(), "a mapped COM port names a device");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = SplitParts({reinterpret_cast<const char*>(data), size});
    const std::filesystem::path file = FuzzFolder() / "quorvel.INI";
    WriteBytes(file, parts[0]);

    IniStore first(PathText(file));
    first.Flush();
    const std::string saved = ReadBytes(file);
    IniStore second(PathText(file));
    CheckSameImage(first, second, saved);
    second.Flush();
    Check(ReadBytes(file) == saved, "a second save writes the same bytes");
    if (parts.size() >= 4) {
        second.Write(parts[1], parts[2], parts[3]);
        second.Flush();
        if (Representable(parts[1], parts[2], parts[3])) {
            Check(IniStore(PathText(file)).Read(parts[1], parts[2]) == parts[3],
                  "a written entry reads back");
        }
    }
    CheckComTable(PathText(file));
    return 0;
}
