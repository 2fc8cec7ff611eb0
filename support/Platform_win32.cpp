// Win32 backend of the support subsystem's system calls.
#include "support/Platform.h"

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <stdexcept>

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
    char buffer[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(list, buffer) != FALSE;
    ILFree(list);
    return found ? std::string(buffer) : std::string();
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

std::string ExecutablePath() {
    std::string buffer(MAX_PATH, '\0');
    while (buffer.size() <= 32768) {
        const DWORD n =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
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
    OutputDebugStringA(text.c_str());
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void WriteFileAtomically(const std::string& path, const std::string& data) {
    static std::atomic<unsigned> counter{0};
    std::string name;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        name =
            path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
        file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        throw NoScratchFile("CreateFileA failed for \"" + name + "\": access denied");
    }
    if (file == INVALID_HANDLE_VALUE) {
        ThrowCallFailed("CreateFileA", name, GetLastError());
    }
    try {
        WriteAll(file, data, name);
        if (!FlushFileBuffers(file)) {
            ThrowCallFailed("FlushFileBuffers", name, GetLastError());
        }
    } catch (...) {
        CloseHandle(file);
        DeleteFileA(name.c_str());
        throw;
    }
    CloseHandle(file);
    if (!MoveFileExA(name.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(name.c_str());
        ThrowCallFailed("MoveFileExA", path, error);
    }
}

void WriteFileInPlace(const std::string& path, const std::string& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ThrowCallFailed("CreateFileA", path, GetLastError());
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
