#include "logger/CreateNewFile.h"

#include "logger/CFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

int CreateNewFile(const std::string& path) {
    errno = 0;
    const int fd =
        ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return ErrnoOr(EACCES);
    return ::_close(fd) == 0 ? 0 : ErrnoOr(EIO);
}
