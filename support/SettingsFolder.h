// Where Quorvel keeps its settings file, the diagnostic log's marker files and the log itself.
//
// A portable copy (the build folder, the demo, an unpacked Windows zip, a copy on a stick) keeps
// them in its own folder, beside the programs, as it always has. An installed Quorvel cannot: its
// programs lie in a folder that belongs to the system, which an ordinary user may not write to
// and root should not litter. It keeps them in the user's configuration folder instead,
// $XDG_CONFIG_HOME/quorvel/ (~/.config/quorvel/ when the variable is not set).
//
// The program's folder counts as installed when no settings file quorvel.INI lies in it (one that
// does, such as a shared installation an administrator prepared, is always used), and either
//   - it is the program folder of a system tree, a "bin" in "usr" or "usr/local" (/usr/bin,
//     /usr/local/bin), also where such a tree is unpacked below another folder, as a package is
//     for a test; root may write there, so only the name tells; or
//   - the user may not create files in it.
// Without a home folder to find the configuration folder in, the program's folder is used. On
// Windows a copy of Quorvel is portable wherever it lies: its settings stay beside the .exe.
#pragma once

#include <string>

// The window's settings file, which quorvel-cli reads for the logger tables and COM ports too.
inline constexpr const char* kQuorvelSettingsFile = "quorvel.INI";

// The folder, ending in a separator, for the settings of a program in programDir (which ends in
// one): programDir itself for a portable copy, else the user's Quorvel configuration folder. The
// folder is only named here, not created.
std::string SettingsFolderFor(const std::string& programDir);
