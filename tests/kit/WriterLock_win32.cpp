#include "tests/kit/WriterLock.h"

#include "support/PathText.h"

#include <windows.h>

WriterLock::WriterLock(const std::string& path)
    : handle_(reinterpret_cast<std::intptr_t>(::CreateFileW(FilePath(path).c_str(), GENERIC_WRITE,
                                                            FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                            nullptr, OPEN_EXISTING, 0, nullptr))),
      locked_(reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE) {}

WriterLock::~WriterLock() {
    if (locked_)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}
