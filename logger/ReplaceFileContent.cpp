#include "logger/ReplaceFileContent.h"

#include "logger/CFile.h"
#include "logger/ScratchFile.h"

namespace {

int WriteAndClose(CFile& file, std::string_view content) {
    errno = 0;
    if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size())
        return ErrnoOr(EIO);
    errno = 0;
    return file.Close();
}

} // namespace

int ReplaceFileContent(const std::string& path, std::string_view content) {
    if (const int error = CheckWritableTarget(path))
        return error;
    ScratchFile scratch(path, ".part");
    if (scratch.Error())
        return scratch.Error();
    errno = 0;
    CFile file(scratch.Path(), "wb");
    if (!file)
        return ErrnoOr(EACCES);
    if (const int error = WriteAndClose(file, content))
        return error;
    return scratch.ReplaceTarget();
}
