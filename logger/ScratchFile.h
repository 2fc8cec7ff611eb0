// A file of its own beside a target file, for data that is to take the target's place only once
// it is complete: nobody sees the target half-written, and an older target stays exactly as it
// was until the new one is whole.
#pragma once

#include <string>

class ScratchFile {
public:
    // Creates a new, empty file in the target's folder, named after the target with suffix
    // appended (report.csv gives report.csv.tmp), or with a number before the suffix
    // (report.csv.1.tmp) where that name is taken: a file the user keeps under such a name is
    // never touched. A target that is a symbolic link is followed, so that the file it points to
    // is replaced and the link kept. Error() tells whether this failed.
    ScratchFile(const std::string& target, const std::string& suffix);
    // Removes the scratch file unless it has taken the target's place.
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // 0, or the error number of the failed create (Path() then names the name tried).
    int Error() const { return error_; }
    const std::string& Path() const { return path_; }

    // Forces the scratch file's data to disk and renames it over the target. Within one folder
    // that is one step: the target is the old file or the complete new one, never a mixture,
    // also after a power cut. Returns 0 or the error number; on failure the target is unchanged.
    int ReplaceTarget();

private:
    std::string target_;
    std::string path_;
    int error_ = 0;
    bool placed_ = false;
};

// 0 when nothing exists at path or the file there accepts writing, as writing it in place would
// demand (replacing it by a rename alone would pass over a read-only file); else the error number.
int CheckWritableTarget(const std::string& path);
