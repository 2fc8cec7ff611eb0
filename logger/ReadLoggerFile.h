// Reading a logger file ("plog.zel") into a register image.
//
// The file is a sequence of blocks of up to 256 big-endian words, taken in pieces of 512 bytes
// whatever their content (so only the last block may be shorter; a trailing odd byte is
// ignored). A block is the identification word 0x1968, register groups (start register, count,
// count values) and a CRC-16/MODBUS stored low byte first. Groups may come in any order and may
// name registers outside the logger's range, whose values are skipped.
#pragma once

#include "logger/LoggerImage.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

inline constexpr std::size_t kLoggerBlockBytes = 512;

// A block whose register group would take a logger register's value from outside the group
// area of the block (the checksum word, bytes never read, or beyond the block's 256 words).
class ELoggerFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoggerReadResult {
    LoggerImage image;
    std::string message; // empty when the file is usable
};

// "file error (N)" with N the error number of the platform's file layer.
std::string FileErrorMessage(int errorNumber);

// Checks blocks one after another and copies the logger registers they deliver into an image.
class LoggerBlockReader {
public:
    // Takes the next piece of the file, at most kLoggerBlockBytes long. Returns false when
    // reading must stop: the block failed its identification or checksum (the message says
    // which), or it held no whole word. Throws ELoggerFormatError for a malformed group.
    bool AddBlock(const std::uint8_t* bytes, std::size_t size);

    // Ends reading. fileError is 0 or the error number of a failed file operation; its message
    // replaces a block's message, and a file that delivered neither register 61000 nor 65003
    // ends with the "no logger data" message whatever came before.
    LoggerReadResult Finish(int fileError) &&;

private:
    void CopyGroup(const std::uint16_t* words, std::size_t n, std::size_t headerAt);

    LoggerReadResult result_;
    unsigned blocks_ = 0;
};

// Reads and checks the whole file; the file is closed again before this returns or throws.
LoggerReadResult ReadLoggerFile(const std::string& path);

// The same over a file's bytes already in memory.
LoggerReadResult ReadLoggerData(std::string_view bytes);
