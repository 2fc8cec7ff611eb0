// What a cooperating writer does before it writes a file: on POSIX systems an exclusive
// advisory lock, taken without waiting; on Windows an open for writing. Locked tells whether
// the writer got in.
#pragma once

#include <cstdint>
#include <string>

class WriterLock {
public:
    explicit WriterLock(const std::string& path);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool Locked() const { return locked_; }

private:
    std::intptr_t handle_;
    bool locked_;
};
