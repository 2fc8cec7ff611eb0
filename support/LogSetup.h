// What the log's start-up step finds on disk and prepares there: the marker files, the debug
// level in "DEBUG" and the program's data folder.
#pragma once

#include <cstdint>
#include <string>

// A marker exists when it is a file that can be opened for reading; a folder of that name (or
// a device or pipe, which could block the start) does not count.
bool MarkerExists(const std::string& path);

// The first word of the "DEBUG" file as a signed 32-bit integer (decimal, or hexadecimal after
// "$" or "0x"): 0 without the file or without a word, 1 for a word that is not such an integer.
std::int32_t ReadDebugLevel(const std::string& path);

// The data folder of the program: the all-users application-data folder, else the user's own
// (when the first is shorter than 5 characters), else the program's folder; then
// "Xqd/<program name without extension>/". It is created with its parents; failures are silent.
std::string DataFolderFor(const std::string& allUsers, const std::string& user,
                          const std::string& programDir, const std::string& programPath);
void CreateDataFolder(const std::string& programDir, const std::string& programPath);
