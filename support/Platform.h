// The operating system's side of the support subsystem: the program file, the per-user data
// folders, the debugger output, the tick counter, local time and the safe replacement of a file.
// One backend per platform (POSIX, Win32); everything above it is written once.
#pragma once

#include <cstdint>
#include <ctime>
#include <stdexcept>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";
// What may stand right before a file's name: a separator, or the colon of a drive ("C:plog.zel").
inline constexpr const char* kNameDelimiters = "\\/:";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
inline constexpr const char* kNameDelimiters = "/";
#endif

// Full path of the running program file; empty when the system cannot tell.
std::string ExecutablePath();

// The application-data folders shared by all users and owned by the current user; empty when
// the system has none.
std::string AllUsersDataFolder();
std::string UserDataFolder();

// The current user's configuration folder, where an installed program keeps its settings; empty
// where there is none to use (Windows, where a program keeps its settings beside itself).
std::string UserConfigFolder();

// Hands one line to the place where a developer watches a running program.
void DebuggerOutput(const std::string& text);

// Milliseconds on a monotonic counter; wraps after 2^32 ms.
std::uint32_t TickMilliseconds();

// Broken-down local time of a calendar time.
std::tm LocalTime(std::time_t time);

// True when the file exists and its permission bits (or attributes) forbid writing it. Checked
// on the bits, not by trying, because an administrator may write even a read-only file.
bool IsReadOnlyFile(const std::string& path);

// The folder refuses a new file (its permissions forbid it); nothing was changed.
class NoScratchFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file's content with data, or leaves it untouched: the data goes to a new file in
// the same folder, is flushed to the disk and only then renamed over the old file. A failure
// removes the new file and throws std::runtime_error naming the call that failed, NoScratchFile
// when the folder does not allow the new file.
void WriteFileAtomically(const std::string& path, const std::string& data);

// Rewrites an existing file where it is, for a folder that allows no new file. The room for a
// longer content is claimed first, so a full disk is found before anything is overwritten; a
// failure half-way can still leave the file damaged. Failures throw std::runtime_error naming
// the call; a missing file is not created.
void WriteFileInPlace(const std::string& path, const std::string& data);

} // namespace platform
