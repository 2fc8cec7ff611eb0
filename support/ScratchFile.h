// A file of its own beside a target file, for data that is to take the target's place only once
// it is complete: nobody sees the target half-written, and an older target stays exactly as it
// was until the new one is whole. The settings file, the CSV of a logger conversion and every
// file received from the device are written this way.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

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
    // The folder refused the new file for lack of permission while the target is there, as a
    // locked-down share does that lets the user change files but not add any: writing the
    // target in place is the way left.
    bool InPlaceOnly() const;
    const std::string& Path() const { return path_; }
    // The system call of the last failure, for messages.
    const std::string& FailedCall() const { return failedCall_; }

    // Makes data the scratch file's whole content. Returns 0 or the error number.
    int Write(std::string_view data);

    // Forces the scratch file's data to disk and renames it over the target (replacing it on
    // every system), keeping the target's permission bits. Within one folder that is one step:
    // the target is the old file or the complete new one, never a mixture, also after a power
    // cut. Returns 0 or the error number; on failure the target is unchanged.
    int ReplaceTarget();

private:
    int Keep(int error, const char* call);

    std::string target_;
    std::string path_;
    std::string failedCall_;
    int error_ = 0;
    bool placed_ = false;
};

// 0 when nothing exists at path or the file there accepts writing, as writing it in place would
// demand (replacing it by a rename alone would pass over a read-only file); else the error number.
int CheckWritableTarget(const std::string& path);

// Notes in the diagnostic log that the file at path is written in place because its folder
// refuses a new file beside it: an older file there is not kept should the writing fail.
void NoteWrittenInPlace(const std::string& path);

// The folder refuses a new file beside the existing one (its permissions forbid it); nothing
// was changed.
class NoScratchFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file's content with data through a scratch file (path + ".tmp"), or leaves it
// untouched. A failure throws std::runtime_error naming the call that failed, NoScratchFile when
// the folder does not allow the new file (ScratchFile::InPlaceOnly).
void WriteFileAtomically(const std::string& path, const std::string& data);
