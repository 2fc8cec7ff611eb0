// Writing a file so that it is either replaced completely or left as it was; or, where its folder
// allows no new file, rewritten in place.
#pragma once

#include <string>
#include <string_view>

// Writes content into a scratch file beside path (path + ".part", or a numbered name where that
// one is taken), forces it to disk and then renames it over path. An existing file at path must
// be writable (a read-only or locked file, or a folder of that name, fails here as it would on a
// plain create). On failure the scratch file is removed and path keeps its previous content.
// An existing file in a folder whose permissions refuse the scratch file is rewritten in place
// instead (noted in the diagnostic log): a failure then can leave it damaged. Returns 0 or the
// error number of the failing file operation (EIO for a failed rewrite in place).
int ReplaceFileContent(const std::string& path, std::string_view content);
