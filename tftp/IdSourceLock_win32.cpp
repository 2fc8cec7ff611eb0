// The upload source's lock on Windows: a handle of its own whose share mode admits readers only.
#include "tftp/IdSourceLock.h"

#include "support/PathText.h"

#include <stdexcept>
#include <system_error>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// FILE_SHARE_READ alone: while this handle is open, every other open for writing, deleting or
// renaming fails. The other way round, when another program already has the file open for
// writing (or open without letting others read), this open fails with a sharing violation.
TIdSourceLock::TIdSourceLock(const std::string& path)
    : Handle(reinterpret_cast<std::intptr_t>(::CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL, nullptr))) {
    if (reinterpret_cast<HANDLE>(Handle) != INVALID_HANDLE_VALUE) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION) {
        throw std::runtime_error(SourceInUseText(path));
    }
    throw std::system_error(static_cast<int>(error), std::system_category(),
                            "Cannot open file \"" + path + "\"");
}

TIdSourceLock::~TIdSourceLock() {
    ::CloseHandle(reinterpret_cast<HANDLE>(Handle));
}
