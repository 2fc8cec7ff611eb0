#include "logger/ScratchFile.h"

#include "logger/CFile.h"
#include "logger/CreateNewFile.h"
#include "logger/SyncFile.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Numbered names tried after the plain one before giving up.
constexpr int kNumberedNames = 99;

std::string Followed(const std::string& target) {
    std::error_code error;
    if (!fs::is_symlink(target, error))
        return target;
    const fs::path real = fs::weakly_canonical(target, error);
    return error ? target : real.string();
}

int SyncToDisk(const std::string& path) {
    errno = 0;
    CFile file(path, "ab");
    if (!file)
        return ErrnoOr(EACCES);
    if (const int error = SyncFile(file.get()))
        return error;
    return file.Close();
}

} // namespace

ScratchFile::ScratchFile(const std::string& target, const std::string& suffix)
    : target_(Followed(target)) {
    for (int number = 0; number <= kNumberedNames; ++number) {
        path_ = target_ + (number == 0 ? "" : "." + std::to_string(number)) + suffix;
        error_ = CreateNewFile(path_);
        if (error_ != EEXIST)
            return;
    }
}

ScratchFile::~ScratchFile() {
    if (error_ == 0 && !placed_) {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
}

int ScratchFile::ReplaceTarget() {
    if (const int error = SyncToDisk(path_))
        return error;
    std::error_code renamed;
    fs::rename(path_, target_, renamed);
    if (renamed)
        return renamed.value();
    placed_ = true;
    return 0;
}

int CheckWritableTarget(const std::string& path) {
    errno = 0;
    CFile probe(path, "r+b");
    if (!probe)
        return errno == ENOENT ? 0 : ErrnoOr(EACCES);
    return probe.Close();
}
