#include "app/actions/ReceivedFiles.h"

#include "support/PathText.h"
#include "support/ScratchFile.h"
#include "tftp/IdTrivialFTP.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// After a failed download in place: the file goes, and where the folder does not allow that
// either, it is emptied, so that no cut-off copy remains that could pass for the device's file.
void RemovePartialFile(const std::string& path) noexcept {
    std::error_code ignored;
    if (!std::filesystem::remove(FilePath(path), ignored)) {
        std::ofstream emptied(FilePath(path), std::ios::binary | std::ios::trunc);
    }
}

// For a folder that lets the user change the file but not put a new one beside it (a locked-down
// share): the blocks go straight into the file.
void DownloadInPlace(TIdTrivialFTP& client, const std::string& remoteFile,
                     const std::string& localPath) {
    NoteWrittenInPlace(localPath);
    try {
        client.Download(remoteFile, localPath);
    } catch (...) {
        RemovePartialFile(localPath);
        throw;
    }
}

} // namespace

void RaiseFileError(const std::string& what, const std::string& path, int error) {
    throw std::system_error(error, std::generic_category(), what + " \"" + path + "\"");
}

void DownloadReplacing(TIdTrivialFTP& client, const std::string& remoteFile,
                       const std::string& localPath) {
    // Checked before anything is sent, as when the file was written in place.
    if (const int error = CheckWritableTarget(localPath)) {
        RaiseFileError("Cannot create file", localPath, error);
    }
    ScratchFile received(localPath, ".tmp");
    if (received.InPlaceOnly()) {
        DownloadInPlace(client, remoteFile, localPath);
        return;
    }
    if (received.Error()) {
        RaiseFileError("Cannot create file", localPath, received.Error());
    }
    client.Download(remoteFile, received.Path());
    if (const int error = received.ReplaceTarget()) {
        RaiseFileError("Cannot write file", localPath, error);
    }
}
