// File paths: text inside the program, the system's own path at the file calls.
//
// Inside Quorvel a path is text like every other text the user sees, UTF-8, so that messages and
// the diagnostic log show it as it is and the file names of any language survive. A file call
// takes it as the system's path: the same bytes on Linux, UTF-16 on Windows, whose narrow calls
// would read it in the ANSI code page and miss every folder with a letter beyond ASCII. These
// are the only two crossings between the two; nothing else turns a path into text or back.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path FilePath(std::string_view text);
std::string PathText(const std::filesystem::path& path);

// std::fopen for a path given as text; nullptr with errno set when it fails.
std::FILE* OpenFile(const std::string& path, const char* mode);
