// Converting the device's logger file into a semicolon-separated CSV file.
#pragma once

#include "logger/LoggerTables.h"

#include <string>
#include <string_view>

// Reads and checks inputPath completely, refills the tables (refillTables may be empty: no
// tables), and writes the CSV text to outputPath, which may name the input file itself.
// Returns an empty text on success, otherwise the message for the user:
//   - a failure of the logger file's checks, returned before the tables are refilled and
//     without touching outputPath;
//   - "file error (N)" when the output cannot be written; outputPath then keeps its previous
//     content (or stays absent), never a partial CSV.
// Throws ELoggerFormatError for a malformed block.
std::string ConvertLoggerFile(const std::string& inputPath, const std::string& outputPath,
                              bool includeEmpty, const LoggerTablesRefill& refillTables);

// The same for a logger file's bytes already in memory.
std::string ConvertLoggerData(std::string_view bytes, const std::string& outputPath,
                              bool includeEmpty, const LoggerTablesRefill& refillTables);
