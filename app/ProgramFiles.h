// Names that derive from the program file's own path.
#pragma once

#include <string>

// The settings file's name: the program file's name with its extension replaced by ".INI"
// (appended when it has none), so quorvel.exe uses quorvel.INI.
std::string SettingsFileName(const std::string& programPath);

// The settings file: that name in the program's settings folder, which is the program's own
// folder for a portable copy and the user's Quorvel configuration folder for an installed one
// (support/SettingsFolder.h).
std::string SettingsPath(const std::string& programPath);

// The application's title, the caption of plain message boxes: the program file's name up to its
// first ".", every letter after the first in lower case (QUORVEL.EXE gives Quorvel).
std::string ApplicationTitle(const std::string& programPath);
