#include "logger/LoggerTables.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

std::string_view TableLineName(std::string_view line) {
    const auto equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view{} : line.substr(0, equals);
}

std::string_view TableValue(const std::vector<std::string>& table, std::string_view name) {
    for (const std::string& line : table) {
        const auto equals = line.find('=');
        if (SameIgnoringCase(TableLineName(line), name))
            return equals == std::string::npos ? std::string_view{}
                                               : std::string_view(line).substr(equals + 1);
    }
    return {};
}

void ReadLoggerTables(IniRun& run, std::vector<std::string>& codeTexts,
                      std::vector<std::string>& selectColumns) {
    std::vector<std::string> codes = run.SectionLines("zel-codes");
    std::vector<std::string> select = run.SectionLines("zel-select");
    codeTexts = std::move(codes);
    selectColumns = std::move(select);
}

void LoadLoggerTables(const std::string& settingsPath, std::vector<std::string>& codeTexts,
                      std::vector<std::string>& selectColumns) {
    IniRun run(settingsPath, false);
    try {
        ReadLoggerTables(run, codeTexts, selectColumns);
        run.Finish();
    } catch (const std::exception&) {
        // An unreadable settings file costs only the tables' refresh.
    }
}

LoggerTablesRefill SettingsFileTables(std::string settingsPath) {
    return [path = std::move(settingsPath)](std::vector<std::string>& codeTexts,
                                            std::vector<std::string>& selectColumns) {
        LoadLoggerTables(path, codeTexts, selectColumns);
    };
}
