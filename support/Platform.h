// The operating system's side of the support subsystem: the program file, the per-user data
// folders, the debugger output, the tick counter, local time and the file calls behind the safe
// replacement of a file.
// One backend per platform (POSIX, Win32); everything above it is written once.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace platform {

// The program's command-line arguments, the program itself first, as text. On Windows they are
// read in the system's UTF-16 form, not from the ANSI copy main() receives, in which a name
// with a letter beyond the code page would already be lost.
std::vector<std::string> ProgramArguments(int argc, char** argv);
// The same without the program.
inline std::vector<std::string> ArgumentsAfterProgram(int argc, char** argv) {
    std::vector<std::string> arguments = ProgramArguments(argc, argv);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return arguments;
}

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

// The outcome of a file call: error 0 when it succeeded, else the error number and the name of
// the system call that failed, for messages.
struct FileCallResult {
    int error = 0;
    const char* call = "";
};

// Creates an empty file at path in one step, only if nothing of that name exists yet: a file or
// folder someone else made meanwhile is never opened or emptied. EEXIST when the name is taken.
FileCallResult CreateNewFile(const std::string& path);

// Forces the data of the file at path out of the system's caches onto the disk.
FileCallResult SyncFileToDisk(const std::string& path);

// Renames from over to, replacing a file there in one step, and makes the rename durable. The
// file keeps the permission bits of the one it replaces.
FileCallResult RenameOver(const std::string& from, const std::string& to);

// Rewrites an existing file where it is, for a folder that allows no new file. The room for a
// longer content is claimed first, so a full disk is found before anything is overwritten; a
// failure half-way can still leave the file damaged. Failures throw std::runtime_error naming
// the call; a missing file is not created.
void WriteFileInPlace(const std::string& path, const std::string& data);

} // namespace platform
