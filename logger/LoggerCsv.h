// The CSV text made from a logger image: a header line, then one line per record slot from
// the oldest to the newest. Every field, the last included, is followed by ";", every line
// ends with CR LF; texts from the settings tables are copied as they stand (no quoting).
#pragma once

#include "logger/LoggerImage.h"
#include "logger/LoggerTables.h"

#include <string>
#include <vector>

std::string CsvHeaderLine(const std::vector<std::string>& selectColumns);

std::string CsvDataLine(unsigned slot, const LoggerRecord& record, const LoggerTables& tables);

// The slot after the newest one; a newest slot of 499 or an out-of-range value gives slot 0.
unsigned OldestSlot(const LoggerImage& image);

// The whole CSV text. Without includeEmpty, slots whose event code is 0 are left out.
std::string FormatLoggerCsv(const LoggerImage& image, bool includeEmpty,
                            const LoggerTables& tables);
