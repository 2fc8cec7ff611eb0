#include "support/ScratchFile.h"

#include "support/CFile.h"
#include "support/PathText.h"
#include "support/Platform.h"
#include "support/Save_Err.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Numbered names tried after the plain one before giving up.
constexpr int kNumberedNames = 99;

std::string Followed(const std::string& target) {
    std::error_code error;
    const fs::path path = FilePath(target);
    if (!fs::is_symlink(path, error))
        return target;
    const fs::path real = fs::weakly_canonical(path, error);
    return error ? target : PathText(real);
}

std::system_error CallFailure(const std::string& call, const std::string& path, int error) {
    return std::system_error(error, std::generic_category(), call + " failed for \"" + path + "\"");
}

} // namespace

ScratchFile::ScratchFile(const std::string& target, const std::string& suffix)
    : target_(Followed(target)) {
    for (int number = 0; number <= kNumberedNames; ++number) {
        path_ = target_ + (number == 0 ? "" : "." + std::to_string(number)) + suffix;
        const platform::FileCallResult created = platform::CreateNewFile(path_);
        error_ = Keep(created.error, created.call);
        if (error_ != EEXIST)
            return;
    }
}

ScratchFile::~ScratchFile() {
    if (error_ == 0 && !placed_) {
        std::error_code ignored;
        fs::remove(FilePath(path_), ignored);
    }
}

int ScratchFile::Keep(int error, const char* call) {
    failedCall_ = error != 0 ? call : "";
    return error;
}

bool ScratchFile::InPlaceOnly() const {
    std::error_code ignored;
    return (error_ == EACCES || error_ == EPERM) && fs::is_regular_file(FilePath(target_), ignored);
}

int ScratchFile::Write(std::string_view data) {
    errno = 0;
    CFile file(path_, "wb");
    if (!file)
        return Keep(ErrnoOr(EACCES), "fopen");
    errno = 0;
    if (std::fwrite(data.data(), 1, data.size(), file.get()) != data.size())
        return Keep(ErrnoOr(EIO), "write");
    errno = 0;
    return Keep(file.Close(), "write");
}

int ScratchFile::ReplaceTarget() {
    platform::FileCallResult step = platform::SyncFileToDisk(path_);
    if (step.error == 0)
        step = platform::RenameOver(path_, target_);
    placed_ = step.error == 0;
    return Keep(step.error, step.call);
}

void NoteWrittenInPlace(const std::string& path) {
    WriteLog("No new file may be made beside \"" + path +
             "\": it is written in place, and an older file is not kept if that fails");
}

int CheckWritableTarget(const std::string& path) {
    errno = 0;
    CFile probe(path, "r+b");
    if (!probe)
        return errno == ENOENT ? 0 : ErrnoOr(EACCES);
    return probe.Close();
}

void WriteFileAtomically(const std::string& path, const std::string& data) {
    ScratchFile scratch(path, ".tmp");
    if (const int error = scratch.Error()) {
        const std::system_error failure = CallFailure(scratch.FailedCall(), scratch.Path(), error);
        if (scratch.InPlaceOnly())
            throw NoScratchFile(failure.what());
        throw failure;
    }
    if (const int error = scratch.Write(data))
        throw CallFailure(scratch.FailedCall(), scratch.Path(), error);
    if (const int error = scratch.ReplaceTarget())
        throw CallFailure(scratch.FailedCall(), path, error);
}
