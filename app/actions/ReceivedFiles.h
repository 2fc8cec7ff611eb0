// Files received from the device take the place of the user's file only once they are complete.
#pragma once

#include <string>

class TIdTrivialFTP;

// Raises the file layer's error: what, the path in double quotes and the system's reason.
[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int error);

// Downloads remoteFile into localPath so that localPath only ever holds a complete file: the
// blocks go into a scratch file beside it, which replaces localPath after the last block. On any
// failure or cancel the scratch file is removed, an older file at localPath stays exactly as it
// was, and without one nothing remains. Where the folder allows changing localPath but no new
// file beside it, the blocks go into localPath itself (noted in the diagnostic log); a failure
// then removes it, or empties it where it cannot be removed. Raises the client's exception, or a
// file error naming localPath.
void DownloadReplacing(TIdTrivialFTP& client, const std::string& remoteFile,
                       const std::string& localPath);
