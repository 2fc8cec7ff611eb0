#include "logger/CreateNewFile.h"

#include "logger/CFile.h"

#include <fcntl.h>
#include <unistd.h>

int CreateNewFile(const std::string& path) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return ErrnoOr(EACCES);
    return ::close(fd) == 0 ? 0 : ErrnoOr(EIO);
}
