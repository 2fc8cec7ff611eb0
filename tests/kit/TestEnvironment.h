// The process environment and scratch folders for tests, the same on every platform.
#pragma once

#include <filesystem>
#include <string>

// Sets (or, with UnsetEnv, removes) a variable of the test process's environment; programs the
// test starts inherit it.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// Makes the C library's local time follow the time zone tz (POSIX form, e.g. "UTC0").
void UseTimeZone(const std::string& tz);

// Makes link a symbolic link to target; false where the system or its C++ library cannot
// (mingw's library on Windows has no symbolic links).
bool TryCreateSymlink(const std::filesystem::path& target, const std::filesystem::path& link);

// A new, empty folder under the system's temporary folder, its name starting with prefix, in a
// folder whose name has letters beyond ASCII.
std::filesystem::path MakeTempFolder(const std::string& prefix);
