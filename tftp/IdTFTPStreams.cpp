#include "tftp/IdTFTPStreams.h"

#include "support/PathText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace {

// The system's reason for the last failed call, if it left one.
std::string Reason(int error) {
    return error != 0 ? std::string(": ") + std::strerror(error) : std::string();
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

[[noreturn]] void RaiseFileError(const std::string& what, int error) {
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), what);
    }
    throw std::runtime_error(what);
}

} // namespace

std::ofstream CreateLocalFile(const std::string& localPath) {
    errno = 0;
    std::ofstream file(FilePath(localPath), std::ios::binary | std::ios::trunc);
    if (!file) {
        RaiseFileError("Cannot create file " + Quoted(localPath), errno);
    }
    return file;
}

void CloseLocalFile(std::ofstream& file, const std::string& localPath) {
    errno = 0;
    file.close();
    if (file.fail()) {
        RaiseFileError("Cannot write file " + Quoted(localPath), errno);
    }
}

std::ifstream OpenSourceFile(const std::string& localPath) {
    // A folder opens for reading on some systems and then has no end that a seek could find.
    std::error_code ignored;
    if (std::filesystem::is_directory(FilePath(localPath), ignored)) {
        RaiseFileError("Cannot open file " + Quoted(localPath), EISDIR);
    }
    errno = 0;
    std::ifstream file(FilePath(localPath), std::ios::binary);
    if (!file) {
        RaiseFileError("Cannot open file " + Quoted(localPath), errno);
    }
    return file;
}

TIdReceivedData::TIdReceivedData(std::ostream& destination) : Destination(destination) {
    Piece.reserve(StreamPieceSize);
}

void TIdReceivedData::Append(std::string_view block) {
    if (Piece.size() + block.size() > StreamPieceSize) {
        Flush();
    }
    Piece.append(block);
}

void TIdReceivedData::Flush() {
    errno = 0;
    Destination.write(Piece.data(), static_cast<std::streamsize>(Piece.size()));
    Destination.flush();
    Piece.clear(); // what the stream did not take is lost with the transfer
    if (!Destination) {
        throw std::runtime_error("Writing the received data failed" + Reason(errno));
    }
}

void TIdReceivedData::FlushAfterFailure() noexcept {
    try {
        Flush();
    } catch (...) {
        // Dropped on purpose, see the declaration.
    }
}

TIdSourceData::TIdSourceData(std::istream& source, std::int64_t size)
    : Source(source), Unread(size) {}

std::string_view TIdSourceData::Next(std::size_t count) {
    if (Piece.size() - Taken < count) {
        // The rest of the piece moves to its front, and the stream fills up the room behind it.
        Piece.erase(0, Taken);
        Taken = 0;
        const std::size_t kept = Piece.size();
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(Unread, static_cast<std::int64_t>(StreamPieceSize - kept)));
        Piece.resize(kept + wanted);
        errno = 0;
        Source.read(Piece.data() + kept, static_cast<std::streamsize>(wanted));
        const auto got = static_cast<std::size_t>(Source.gcount());
        Piece.resize(kept + got);
        Unread -= static_cast<std::int64_t>(got);
        if (got != wanted) {
            throw std::runtime_error("Reading the data to send failed after " +
                                     std::to_string(got) + " of " + std::to_string(wanted) +
                                     " bytes" + Reason(errno));
        }
    }
    const std::string_view data(Piece.data() + Taken, count);
    Taken += count;
    return data;
}

void TIdSourceData::RewindUntaken() noexcept {
    const auto untaken = static_cast<std::streamoff>(Piece.size() - Taken);
    if (untaken > 0) {
        Source.clear();
        Source.seekg(-untaken, std::ios::cur);
    }
}

std::int64_t RemainingSize(std::istream& source) {
    const std::istream::pos_type start = source.tellg();
    if (start == std::istream::pos_type(-1)) {
        throw std::runtime_error("The data to send has no readable position");
    }
    source.seekg(0, std::ios::end);
    const std::istream::pos_type end = source.tellg();
    source.seekg(start);
    if (end == std::istream::pos_type(-1) || !source) {
        throw std::runtime_error("The size of the data to send cannot be determined");
    }
    return static_cast<std::int64_t>(end - start);
}
