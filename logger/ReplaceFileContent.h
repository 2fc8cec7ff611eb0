// Writing a file so that it is either replaced completely or left as it was.
#pragma once

#include <string>
#include <string_view>

// Writes content into a scratch file beside path (path + ".part", or a numbered name where that
// one is taken), forces it to disk and then renames it over path. An existing file at path must
// be writable (a read-only or locked file, or a folder of that name, fails here as it would on a
// plain create). On failure the scratch file is removed and path keeps its previous content.
// Returns 0 or the error number of the failing file operation.
int ReplaceFileContent(const std::string& path, std::string_view content);
