// Win32 backend of the support subsystem's system calls.
#include "support/Platform.h"

#include "support/PathText.h"
#include "support/WideText.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <stdexcept>
#include <sys/stat.h>

namespace platform {
namespace {

[[noreturn]] void ThrowCallFailed(const char* call, const std::string& path, DWORD error) {
    throw std::runtime_error(std::string(call) + " failed for \"" + path + "\": system error " +
                             std::to_string(error));
}

std::string SpecialFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &list) != S_OK) {
        return {};
    }
    wchar_t buffer[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(list, buffer) != FALSE;
    ILFree(list);
    return found ? Utf8Text(buffer) : std::string();
}

// The C library's error number for what a Win32 file call reports, as the rest of the file
// layer (fopen, _open) reports its failures.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

void WriteAll(HANDLE file, const std::string& data, const std::string& name) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t chunk = data.size() - done;
        const DWORD want = chunk > 0x10000000u ? 0x10000000u : static_cast<DWORD>(chunk);
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, want, &written, nullptr) || written == 0) {
            ThrowCallFailed("WriteFile", name, GetLastError());
        }
        done += written;
    }
}

// Extends the file to size before any of its bytes are overwritten, so that a full disk is
// found first; leaves the file position at the start.
void ClaimRoom(HANDLE file, const std::string& path, std::size_t size) {
    LARGE_INTEGER current{};
    LARGE_INTEGER wanted{};
    wanted.QuadPart = static_cast<LONGLONG>(size);
    if (GetFileSizeEx(file, &current) && current.QuadPart < wanted.QuadPart &&
        (!SetFilePointerEx(file, wanted, nullptr, FILE_BEGIN) || !SetEndOfFile(file))) {
        ThrowCallFailed("SetEndOfFile", path, GetLastError());
    }
    const LARGE_INTEGER start{};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
}

} // namespace

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) {
        arguments.push_back(Utf8Text(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (buffer.size() <= 32768) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return Utf8Text(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string AllUsersDataFolder() {
    return SpecialFolder(CSIDL_COMMON_APPDATA);
}

std::string UserDataFolder() {
    return SpecialFolder(CSIDL_APPDATA);
}

std::string UserConfigFolder() {
    return {};
}

void DebuggerOutput(const std::string& text) {
    OutputDebugStringW(WideText(text).c_str());
}

std::uint32_t TickMilliseconds() {
    return ::GetTickCount();
}

std::tm LocalTime(std::time_t time) {
    std::tm result{};
    localtime_s(&result, &time);
    return result;
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FilePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

FileCallResult CreateNewFile(const std::string& path) {
    const int fd = ::_wopen(FilePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                            _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return {errno, "_wopen"};
    }
    return ::_close(fd) == 0 ? FileCallResult{} : FileCallResult{errno, "_close"};
}

FileCallResult SyncFileToDisk(const std::string& path) {
    const int fd = ::_wopen(FilePath(path).c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        return {errno, "_wopen"};
    }
    const int error = ::_commit(fd) == 0 ? 0 : errno;
    ::_close(fd);
    return {error, "_commit"};
}

// Write-through: the rename is on the disk when the call returns. A new file gets the folder's
// default permissions, which is all a replaced file had on Windows as well.
FileCallResult RenameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    return {ErrnoOf(GetLastError()), "MoveFileExW"};
}

void WriteFileInPlace(const std::string& path, const std::string& data) {
    HANDLE file = CreateFileW(FilePath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ThrowCallFailed("CreateFileW", path, GetLastError());
    }
    try {
        ClaimRoom(file, path, data.size());
        WriteAll(file, data, path);
        if (!SetEndOfFile(file)) {
            ThrowCallFailed("SetEndOfFile", path, GetLastError());
        }
        if (!FlushFileBuffers(file)) {
            ThrowCallFailed("FlushFileBuffers", path, GetLastError());
        }
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
}

} // namespace platform
