// The local files that commands write: when an existing one may be replaced, and the clean-up
// after a failure.
#pragma once

#include "cli/CliIo.h"

#include <string>

// True when path may be written: it does not exist, --yes was given, or the user answered "y" to
// the window's overwrite question at a terminal. Otherwise says why not and returns false.
bool MayReplace(const std::string& path, bool yes, CliIo& io);

// Removes the file at path after a failed command; a folder is never removed.
void RemoveLocalFile(const std::string& path);

// path, or the file name inside it when path is a folder (as cp does).
std::string FileOrInFolder(const std::string& path, const std::string& name);
