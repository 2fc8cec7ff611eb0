// A cap on the size of the files the test process writes, to make a write fail half-way as on a
// full disk. Only POSIX systems have one; elsewhere Active() is false and nothing is limited.
#pragma once

#include <cstdint>

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit(); // the old limit again
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return active_; }

private:
    bool active_ = false;
    std::uint64_t saved_ = 0;
};
