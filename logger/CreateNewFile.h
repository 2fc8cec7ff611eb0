// Creating a file under a name nobody else has taken.
#pragma once

#include <string>

// Creates an empty file at path in one step, only if nothing of that name exists yet: a file or
// folder someone else made meanwhile is never opened or emptied. Returns 0, EEXIST when the name
// is taken, or the error number of the failed create.
int CreateNewFile(const std::string& path);
