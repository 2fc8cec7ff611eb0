// The CSV file named after a logger file.
#pragma once

#include <string>

// zelPath with the extension of its file name replaced by ".CSV" (upper case), or with ".CSV"
// appended when the file name has no extension: "report.zel" gives "report.CSV", "log" gives
// "log.CSV". Dots in folder names do not count.
std::string DefaultCsvPath(const std::string& zelPath);
