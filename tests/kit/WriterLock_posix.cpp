#include "tests/kit/WriterLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

WriterLock::WriterLock(const std::string& path)
    : handle_(::open(path.c_str(), O_WRONLY | O_CLOEXEC)),
      locked_(handle_ >= 0 && ::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0) {}

WriterLock::~WriterLock() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}
