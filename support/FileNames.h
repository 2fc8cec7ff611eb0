// Splitting a path into its folder and its file name, the one way the whole program does it.
//
// On Windows both "\" and "/" separate folders, and the colon of a drive ends the folder part as
// well ("C:plog.zel" is plog.zel in the current folder of drive C); elsewhere only "/" does.
#pragma once

#include <string>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";
inline constexpr const char* kNameDelimiters = "\\/:";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
inline constexpr const char* kNameDelimiters = "/";
#endif

// The file name: everything after the folder part.
std::string FileName(const std::string& path);

// The folder part with its final separator (or drive colon); "." and a separator when the path
// has none, so that a file name can always be appended.
std::string FolderPart(const std::string& path);

// The folder with one separator at its end; one that ends in either separator is kept as it is.
std::string WithSeparator(std::string folder);

// The path without the extension of its file name (the last dot and what follows it).
std::string WithoutExtension(const std::string& path);

// The file name as the device sees it, whatever the local system: what follows the last "/", "\"
// or ":", since a device file name holds none of them.
std::string DeviceFileName(const std::string& path);
