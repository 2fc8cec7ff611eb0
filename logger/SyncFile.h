// Forcing a written file's data out of the system's caches onto the disk.
#pragma once

#include <cstdio>

// Flushes the stream and asks the system to commit the file; returns 0 or an error number.
int SyncFile(std::FILE* file);
