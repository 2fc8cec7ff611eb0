// Local file names the commands take from the command line.
#pragma once

#include <string>

// path, or the file name inside it when path is a folder (as cp does).
std::string FileOrInFolder(const std::string& path, const std::string& name);
