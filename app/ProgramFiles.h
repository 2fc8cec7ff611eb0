// Names that derive from the program file's own path.
#pragma once

#include <string>

// The settings file: the program's path with its extension replaced by ".INI" (appended when
// the program file has none), so quorvel.exe uses quorvel.INI in the same folder.
std::string SettingsPath(const std::string& programPath);

// The application's title, the caption of plain message boxes: the program file's name up to its
// first ".", every letter after the first in lower case (QUORVEL.EXE gives Quorvel).
std::string ApplicationTitle(const std::string& programPath);
