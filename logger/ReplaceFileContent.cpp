#include "logger/ReplaceFileContent.h"

#include "support/ScratchFile.h"

int ReplaceFileContent(const std::string& path, std::string_view content) {
    if (const int error = CheckWritableTarget(path))
        return error;
    ScratchFile scratch(path, ".part");
    if (const int error = scratch.Error())
        return error;
    if (const int error = scratch.Write(content))
        return error;
    return scratch.ReplaceTarget();
}
