// The two user tables that feed the CSV conversion, kept as "name=value" text lines in the
// order of the settings file:
//   CodeTexts     (section "zel-codes"):  event code in decimal = text of the column "source"
//   SelectColumns (section "zel-select"): event code in decimal = cell value; one extra column
//                                         per line, headed by the line's name
#pragma once

#include "support/IniRun.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct LoggerTables {
    std::vector<std::string> CodeTexts;
    std::vector<std::string> SelectColumns;
};

// Refills both lists before a conversion. The window passes its settings routine; a failure
// to read the settings leaves the lists as they were.
using LoggerTablesRefill = std::function<void(std::vector<std::string>& codeTexts,
                                              std::vector<std::string>& selectColumns)>;

// The text before the first "=" of a line; a line without "=" has an empty name.
std::string_view TableLineName(std::string_view line);

// The text after the first "=" of the first line whose name equals name without regard to
// case; empty when no line has that name.
std::string_view TableValue(const std::vector<std::string>& table, std::string_view name);

// Reads the sections "zel-codes" and "zel-select" of the settings file at settingsPath into
// the two lists, each entry as name "=" value in file order (an entry written without "=" stays
// without it); a missing file or section gives an empty list. The file is never written. If it
// cannot be read at all, both lists keep their previous contents.
void LoadLoggerTables(const std::string& settingsPath, std::vector<std::string>& codeTexts,
                      std::vector<std::string>& selectColumns);

// The same two sections read within a run of the settings helpers (the run's first read loads
// the file); the caller finishes the run. Throws what loading the file throws, before either list
// has changed.
void ReadLoggerTables(IniRun& run, std::vector<std::string>& codeTexts,
                      std::vector<std::string>& selectColumns);

// A refill that runs LoadLoggerTables on the given settings file.
LoggerTablesRefill SettingsFileTables(std::string settingsPath);
