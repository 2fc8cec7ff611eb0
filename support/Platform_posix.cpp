// POSIX backend of the support subsystem's system calls.
#include "support/Platform.h"

#include "support/FileNames.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

[[noreturn]] void ThrowCallFailed(const char* call, const std::string& path, int error) {
    throw std::runtime_error(std::string(call) + " failed for \"" + path +
                             "\": " + std::strerror(error));
}

void WriteAll(int fd, const std::string& data, const std::string& name) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowCallFailed("write", name, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

// Claims the disk space a file needs to grow to size before any of its bytes are overwritten.
// A file system that cannot reserve space is written all the same.
void ClaimRoom(int fd, const std::string& path, std::size_t size) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) >= size) {
        return;
    }
    const int error = ::posix_fallocate(fd, st.st_size, static_cast<off_t>(size) - st.st_size);
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
        ThrowCallFailed("posix_fallocate", path, error);
    }
}

// Makes the rename itself durable; a folder that cannot be synced costs only that guarantee.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::string ExecutablePath() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A desktop tool on Linux has no system-wide data folder it may create entries in, so the
// all-users folder is empty and the user's own data folder is used.
std::string AllUsersDataFolder() {
    return {};
}

namespace {

// A per-user base folder: the variable's value when it is an absolute path (a relative one is no
// valid setting), else the folder below the home folder; empty when neither is known.
std::string UserBaseFolder(const char* variable, const char* belowHome) {
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + belowHome;
    }
    return {};
}

} // namespace

std::string UserDataFolder() {
    return UserBaseFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserConfigFolder() {
    return UserBaseFolder("XDG_CONFIG_HOME", "/.config");
}

// There is no debugger output channel here; standard error is where a developer watches.
// One write per line keeps lines of concurrent callers whole.
void DebuggerOutput(const std::string& text) {
    const std::string line = text + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

std::uint32_t TickMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::tm LocalTime(std::time_t time) {
    std::tm result{};
    ::localtime_r(&time, &result);
    return result;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

FileCallResult CreateNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return {errno, "open"};
    }
    return ::close(fd) == 0 ? FileCallResult{} : FileCallResult{errno, "close"};
}

FileCallResult SyncFileToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return {errno, "open"};
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return {error, "fsync"};
}

FileCallResult RenameOver(const std::string& from, const std::string& to) {
    struct stat old {};
    if (::stat(to.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::chmod(from.c_str(), old.st_mode & 07777) != 0) {
        return {errno, "chmod"};
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return {errno, "rename"};
    }
    SyncFolder(FolderPart(to));
    return {};
}

void WriteFileInPlace(const std::string& path, const std::string& data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        ThrowCallFailed("open", path, errno);
    }
    try {
        ClaimRoom(fd, path, data.size());
        WriteAll(fd, data, path);
        if (::ftruncate(fd, static_cast<off_t>(data.size())) != 0) {
            ThrowCallFailed("ftruncate", path, errno);
        }
        if (::fsync(fd) != 0) {
            ThrowCallFailed("fsync", path, errno);
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) {
        ThrowCallFailed("close", path, errno);
    }
}

} // namespace platform
