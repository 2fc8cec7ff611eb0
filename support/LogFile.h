// One line of the diagnostic log on disk: the time stamp, the escaping of control characters,
// the append to the current file and the rotation through the three files.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// The log's current time: the system clock, or the clock a test installed.
std::chrono::system_clock::time_point LogNow();

// "dd.mm.yyyy hh:mm:ss" in local time (the time part left out at exactly midnight), "-" and the
// hundredths of the second rounded to the nearest, so 100 can appear. The date and time come
// from one clock reading, the hundredths from another.
std::string LogTimeStamp(std::chrono::system_clock::time_point dateTime,
                         std::chrono::system_clock::time_point hundredths);

// CR becomes "|", every other character below the blank "{code}"; all else stays.
std::string EscapeLogText(std::string_view text);

struct LogTarget {
    std::string folder;  // ends in the path separator
    char fileLetter = 0; // a letter above the blank replaces the last letter of the file names
    bool rotate = true;  // false while the start and end lines are written
    std::int64_t maxSize = 0;
};

// Appends one time-stamped line (nothing for an empty text) and rotates the files when the
// current one has grown larger than maxSize. File errors lose the line silently.
void AppendLogFile(const LogTarget& target, std::string_view text);
