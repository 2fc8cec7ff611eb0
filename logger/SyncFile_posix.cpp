#include "logger/SyncFile.h"

#include "logger/CFile.h"

#include <unistd.h>

int SyncFile(std::FILE* file) {
    errno = 0;
    if (std::fflush(file) != 0)
        return ErrnoOr(EIO);
    return ::fsync(::fileno(file)) == 0 ? 0 : ErrnoOr(EIO);
}
