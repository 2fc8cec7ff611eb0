// Stream and file access of the transfers. Every failure raises an exception whose message says
// what failed, with the system's reason where there is one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

// Creates localPath for writing, replacing and emptying an existing file.
std::ofstream CreateLocalFile(const std::string& localPath);
// Closes a downloaded file; data that cannot be written out at this point is a failure too.
void CloseLocalFile(std::ofstream& file, const std::string& localPath);
std::ifstream OpenSourceFile(const std::string& localPath);

// Writes and flushes data, so that a full disk shows at the block that did not fit.
void WriteBlock(std::ostream& destination, std::string_view data);
// Reads exactly count bytes.
std::string ReadBlock(std::istream& source, std::size_t count);
// Bytes from the stream's position to its end; the position is kept.
std::int64_t RemainingSize(std::istream& source);
