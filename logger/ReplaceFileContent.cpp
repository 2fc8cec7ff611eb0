#include "logger/ReplaceFileContent.h"

#include "support/Platform.h"
#include "support/Save_Err.h"
#include "support/ScratchFile.h"

#include <cerrno>
#include <stdexcept>

namespace {

// For a folder that lets the user change the file but not put a new one beside it.
int WriteInPlace(const std::string& path, std::string_view content) {
    NoteWrittenInPlace(path);
    try {
        platform::WriteFileInPlace(path, std::string(content));
        return 0;
    } catch (const std::runtime_error& error) {
        WriteLog(error.what()); // the call and the system's reason, which the number leaves out
        return EIO;
    }
}

} // namespace

int ReplaceFileContent(const std::string& path, std::string_view content) {
    if (const int error = CheckWritableTarget(path))
        return error;
    ScratchFile scratch(path, ".part");
    if (scratch.InPlaceOnly())
        return WriteInPlace(path, content);
    if (const int error = scratch.Error())
        return error;
    if (const int error = scratch.Write(content))
        return error;
    return scratch.ReplaceTarget();
}
