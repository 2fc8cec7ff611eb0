#include "serial/ComPortMap.h"

#include "support/IniStore.h"
#include "support/IntText.h"

#include <exception>
#include <map>
#include <string_view>

namespace {

std::map<std::int32_t, std::string>& Table() {
    static std::map<std::int32_t, std::string> table;
    return table;
}

// The number of a key "COM<n>"; empty for any other key.
std::optional<std::int32_t> ComNumberOf(std::string_view key) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (key.size() < 3 || lower(key[0]) != 'c' || lower(key[1]) != 'o' || lower(key[2]) != 'm') {
        return std::nullopt;
    }
    key.remove_prefix(3);
    while (!key.empty() && key.front() == ' ') {
        key.remove_prefix(1);
    }
    const std::optional<std::int64_t> number = ParseInteger(key, {}, 1, INT32_MAX);
    if (!number) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*number);
}

} // namespace

void LoadComPortMap(const std::string& settingsFile) {
    std::map<std::int32_t, std::string> table;
    try {
        for (const auto& [key, device] : IniStore(settingsFile).Section("ComPorts")) {
            const auto number = ComNumberOf(key);
            if (number && !device.empty()) {
                table.emplace(*number, device);
            }
        }
    } catch (const std::exception&) {
        // A settings file that cannot be read leaves every COM number at its usual device.
    }
    Table() = std::move(table);
}

std::optional<std::string> MappedComDevice(std::int32_t number) {
    const auto found = Table().find(number);
    if (found == Table().end()) {
        return std::nullopt;
    }
    return found->second;
}
