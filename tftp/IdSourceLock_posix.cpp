// The upload source's lock on POSIX systems: a shared flock on a descriptor of its own.
#include "tftp/IdSourceLock.h"

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TIdSourceLock::TIdSourceLock(const std::string& path)
    : Handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (Handle < 0) {
        throw std::system_error(errno, std::generic_category(),
                                "Cannot open file \"" + path + "\"");
    }
    // Never waits: a writer may hold its lock for long.
    if (::flock(static_cast<int>(Handle), LOCK_SH | LOCK_NB) == 0) {
        return;
    }
    const int error = errno;
    ::close(static_cast<int>(Handle));
    Handle = -1;
    // Any other failure means the file system offers no locks (some network shares); the lock
    // is advisory anyway, so the file is sent without it.
    if (error == EWOULDBLOCK) {
        throw std::runtime_error(SourceInUseText(path));
    }
}

TIdSourceLock::~TIdSourceLock() {
    if (Handle >= 0) {
        ::close(static_cast<int>(Handle)); // releases the lock
    }
}
