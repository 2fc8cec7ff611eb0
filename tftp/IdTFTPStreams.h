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

// Bytes from the stream's position to its end; the position is kept.
std::int64_t RemainingSize(std::istream& source);

// Large pieces: a download writes, and an upload reads, its stream in pieces of this size, so
// that a block costs no system call of its own.
inline constexpr std::size_t StreamPieceSize = 64 * 1024;

// The received blocks on their way into the destination stream: gathered, and written and
// flushed a piece at a time. A full disk therefore shows at the block that makes a piece full,
// or at the latest at Flush.
class TIdReceivedData {
public:
    explicit TIdReceivedData(std::ostream& destination);

    // Adds a block; writes the piece out first when the block does not fit into it.
    void Append(std::string_view block);
    // Writes out and flushes everything gathered; raises when the stream fails.
    void Flush();
    // After a failed transfer: writes out what was gathered, so that the stream holds every block
    // stored, as far as it can take them; a failure here would hide the transfer's, so it is
    // dropped.
    void FlushAfterFailure() noexcept;

private:
    std::ostream& Destination;
    std::string Piece;
};

// The data of an upload, read from the source stream a piece at a time.
class TIdSourceData {
public:
    // size: the bytes from the stream's position on that the upload sends.
    TIdSourceData(std::istream& source, std::int64_t size);

    // The next count bytes (no more than StreamPieceSize); valid until the next call. Raises when
    // the stream delivers fewer than it should.
    std::string_view Next(std::size_t count);
    // After a failed transfer: puts the stream's position back behind the last bytes taken, as
    // if it had been read a block at a time.
    void RewindUntaken() noexcept;

private:
    std::istream& Source;
    std::int64_t Unread; // bytes of the upload not yet read from the stream
    std::string Piece;
    std::size_t Taken = 0; // bytes of Piece handed out
};
