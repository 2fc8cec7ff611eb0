#include "logger/SyncFile.h"

#include "logger/CFile.h"

#include <io.h>

int SyncFile(std::FILE* file) {
    errno = 0;
    if (std::fflush(file) != 0)
        return ErrnoOr(EIO);
    return ::_commit(::_fileno(file)) == 0 ? 0 : ErrnoOr(EIO);
}
