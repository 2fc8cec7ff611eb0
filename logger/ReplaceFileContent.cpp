#include "logger/ReplaceFileContent.h"

#include "logger/CFile.h"
#include "logger/SyncFile.h"

#include <filesystem>
#include <system_error>

namespace {

// An existing target must accept writing, as a plain create would demand; renaming over it
// alone would ignore a read-only file.
int CheckTargetWritable(const std::string& path) {
    errno = 0;
    CFile probe(path, "r+b");
    if (!probe)
        return errno == ENOENT ? 0 : ErrnoOr(EACCES);
    return probe.Close();
}

int WriteAndClose(CFile& file, std::string_view content) {
    errno = 0;
    if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size())
        return ErrnoOr(EIO);
    if (const int error = SyncFile(file.get()))
        return error;
    errno = 0;
    return file.Close();
}

} // namespace

int ReplaceFileContent(const std::string& path, std::string_view content) {
    if (const int error = CheckTargetWritable(path))
        return error;
    const std::string scratch = path + ".part";
    errno = 0;
    CFile file(scratch, "wb");
    if (!file)
        return ErrnoOr(EACCES);
    int error = WriteAndClose(file, content);
    if (error == 0) {
        std::error_code renamed;
        std::filesystem::rename(scratch, path, renamed);
        error = renamed.value();
    }
    if (error != 0) {
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
    }
    return error;
}
