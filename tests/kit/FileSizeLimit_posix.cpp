#include "tests/kit/FileSizeLimit.h"

#include <csignal>
#include <sys/resource.h>

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    saved_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    // A write past the limit then fails with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    if (!active_ || ::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    limit.rlim_cur = saved_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
}
