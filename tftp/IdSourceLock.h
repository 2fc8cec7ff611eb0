// Keeps other programs from writing a file while an upload sends it, as far as the system
// allows: the device must receive the file as it was when the upload began, not a mix of an old
// and a new version (a firmware image still being copied, a configuration being saved).
//
// On Windows the file is held open with a share mode that lets others read it but refuses every
// open for writing, renaming or deleting; a file that another program already has open for
// writing cannot be locked at all. On POSIX systems nothing can be enforced: the lock is a shared
// advisory lock (flock), which shuts out only programs that take an exclusive lock before they
// write. Most programs take none, so there it protects against cooperating writers only.
#pragma once

#include <cstdint>
#include <string>

class TIdSourceLock {
public:
    // Raises, before anything is sent, when the file cannot be opened or another program holds
    // it for writing.
    explicit TIdSourceLock(const std::string& path);
    ~TIdSourceLock();
    TIdSourceLock(const TIdSourceLock&) = delete;
    TIdSourceLock& operator=(const TIdSourceLock&) = delete;

private:
    std::intptr_t Handle; // a file descriptor or a Windows file handle
};

// The failure for a file that another program holds for writing.
inline std::string SourceInUseText(const std::string& path) {
    return "Cannot open file \"" + path + "\": another program is writing it";
}
