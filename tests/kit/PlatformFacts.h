// What the system does differently on Windows and on POSIX systems, for tests that state what is
// right on each.
#pragma once

#include <cerrno>

namespace platform_facts {

#ifdef _WIN32
// The calls the file layer names in its failure messages.
inline constexpr const char* kCreateFileCall = "_wopen";
inline constexpr const char* kReplaceFileCall = "MoveFileExW";
// Opening a folder as a file is refused as "access denied".
inline constexpr int kFolderOpenError = EACCES;
// "report.CSV" and "report.csv" are one file.
inline constexpr bool kCaseSensitiveNames = false;
#else
inline constexpr const char* kCreateFileCall = "open";
inline constexpr const char* kReplaceFileCall = "rename";
inline constexpr int kFolderOpenError = EISDIR;
inline constexpr bool kCaseSensitiveNames = true;
#endif

} // namespace platform_facts
