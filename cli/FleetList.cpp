#include "cli/FleetList.h"

#include "cli/TransferSettings.h"
#include "support/ArgumentScan.h"

#include <algorithm>
#include <istream>
#include <map>

namespace {

constexpr const char* kBlanks = " \t\r\v\f";
constexpr const char* kUnsafeInNames = "<>:\"/\\|?*";
// A UTF-8 byte-order mark, which an editor on Windows may put before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// Not text: it would cut a line of the report, or confuse a terminal.
bool IsControlCharacter(char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
}

// Letter case as Windows ignores it in file names, for the letters of the technicians'
// languages: A to Z and the Latin-1 capitals (in UTF-8 two bytes, C3 80 to C3 9E but for the
// multiplication sign).
std::string FoldedCase(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') {
            text[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97) {
                text[i + 1] = static_cast<char>(next + 0x20);
            }
        }
    }
    return text;
}

bool IsReservedDeviceName(const std::string& name) {
    const std::string base = FoldedCase(name.substr(0, name.find('.')));
    if (base == "con" || base == "prn" || base == "aux" || base == "nul") {
        return true;
    }
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
           base[3] >= '1' && base[3] <= '9';
}

// Refuses devices and file names that the list holds twice.
class ListedOnce {
public:
    explicit ListedOnce(std::string listName) : listName_(std::move(listName)) {}

    void Add(const FleetDevice& device) {
        const std::string address = FoldedCase(device.host) + ":" + std::to_string(device.port);
        if (const auto seen = addresses_.find(address); seen != addresses_.end()) {
            throw Fault(device, (device.host.empty() ? device.name : address) +
                                    " is listed twice (first " + Where(seen->second) + ")");
        }
        const std::string file = FoldedCase(device.fileName);
        if (const auto seen = files_.find(file); seen != files_.end()) {
            throw Fault(device, "the name \"" + device.name + "\" gives the same file name as \"" +
                                    seen->second.name + "\" " + Where(seen->second) +
                                    ": name each device differently");
        }
        addresses_.emplace(address, device);
        files_.emplace(file, device);
    }

    UsageError Fault(const FleetDevice& device, const std::string& what) const {
        return UsageError(device.line == 0
                              ? "--com: " + what
                              : listName_ + ":" + std::to_string(device.line) + ": " + what);
    }

private:
    static std::string Where(const FleetDevice& device) {
        return device.line == 0 ? "in --com" : "on line " + std::to_string(device.line);
    }

    std::string listName_;
    std::map<std::string, FleetDevice> addresses_;
    std::map<std::string, FleetDevice> files_;
};

// "HOST[:PORT] [NAME]"; throws a usage error without the line's place.
FleetDevice ParseDeviceLine(std::string_view line, std::uint16_t defaultPort) {
    const std::size_t end = std::min(line.find_first_of(kBlanks), line.size());
    const std::string_view address = line.substr(0, end);
    const std::size_t colon = address.find(':');
    FleetDevice device;
    device.host = std::string(address.substr(0, colon));
    if (device.host.empty() ||
        !std::all_of(device.host.begin(), device.host.end(), IsHostCharacter)) {
        throw UsageError("\"" + std::string(address) +
                         "\" is not a device: a host name or IPv4 address, with \":PORT\" or "
                         "without, then a name if you like");
    }
    device.port = defaultPort;
    if (colon != std::string_view::npos) {
        const std::string port(address.substr(colon + 1));
        device.port = static_cast<std::uint16_t>(ParseNumber(port, 1, 65535, "the port"));
    }
    device.name = std::string(Trimmed(line.substr(end)));
    if (std::any_of(device.name.begin(), device.name.end(), IsControlCharacter)) {
        throw UsageError("the name \"" + device.name + "\" holds a control character");
    }
    if (device.name.empty()) {
        device.name = std::string(address);
    }
    device.fileName = SafeFileName(device.name);
    return device;
}

} // namespace

std::string SafeFileName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::string_view(kUnsafeInNames).find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    for (auto c = safe.rbegin(); c != safe.rend() && (*c == ' ' || *c == '.'); ++c) {
        *c = '_';
    }
    return IsReservedDeviceName(safe) ? safe + "_" : safe;
}

std::vector<FleetDevice> ReadDeviceList(std::istream& list, const std::string& listName,
                                        std::uint16_t defaultPort) {
    std::vector<FleetDevice> devices;
    ListedOnce once(listName);
    std::string text;
    for (std::size_t number = 1; std::getline(list, text); ++number) {
        std::string_view line = text;
        if (number == 1 && line.starts_with(kByteOrderMark)) {
            line.remove_prefix(kByteOrderMark.size());
        }
        line = Trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        try {
            devices.push_back(ParseDeviceLine(line, defaultPort));
        } catch (const UsageError& error) {
            throw UsageError(listName + ":" + std::to_string(number) + ": " + error.what());
        }
        devices.back().line = number;
        once.Add(devices.back());
    }
    if (devices.empty()) {
        throw UsageError(listName + " lists no device");
    }
    return devices;
}

std::vector<FleetDevice> ComDeviceList(const std::string& numbers) {
    std::vector<FleetDevice> devices;
    ListedOnce once("--com");
    std::string_view rest = numbers;
    for (;;) {
        const std::size_t comma = rest.find(',');
        FleetDevice device;
        device.port = static_cast<std::uint16_t>(ReadComNumber(std::string(rest.substr(0, comma))));
        device.name = "COM" + std::to_string(device.port);
        device.fileName = SafeFileName(device.name);
        once.Add(device);
        devices.push_back(device);
        if (comma == std::string_view::npos) {
            return devices;
        }
        rest.remove_prefix(comma + 1);
    }
}
