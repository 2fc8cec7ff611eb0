// A C stream that closes itself, and the error numbers of the C file layer as plain ints.
#pragma once

#include "support/PathText.h"

#include <cerrno>
#include <cstdio>
#include <string>

// The current errno, or fallback when a failing call left errno at 0.
inline int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

class CFile {
public:
    CFile(const std::string& path, const char* mode) : file_(OpenFile(path, mode)) {}
    ~CFile() {
        if (file_)
            std::fclose(file_);
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }

    // Closes the stream; returns 0 or the error number of the failed close.
    int Close() {
        std::FILE* file = file_;
        file_ = nullptr;
        return std::fclose(file) == 0 ? 0 : ErrnoOr(EIO);
    }

private:
    std::FILE* file_;
};
