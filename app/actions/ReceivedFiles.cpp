#include "app/actions/ReceivedFiles.h"

#include "logger/ScratchFile.h"
#include "tftp/IdTrivialFTP.h"

#include <system_error>

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
    if (received.Error()) {
        RaiseFileError("Cannot create file", localPath, received.Error());
    }
    client.Download(remoteFile, received.Path());
    if (const int error = received.ReplaceTarget()) {
        RaiseFileError("Cannot write file", localPath, error);
    }
}
