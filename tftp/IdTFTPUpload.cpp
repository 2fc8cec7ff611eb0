// Upload: write request, then DATA blocks, each sent when the previous one is acknowledged,
// until a block shorter than a full block has gone out.
//
// A device that starts installing firmware may never acknowledge the last block, so once that
// block is out, a silent reply wait or a short packet counts as the end of a successful upload.
#include "tftp/IdTrivialFTP.h"

#include "tftp/IdTFTPStreams.h"
#include "tftp/IdTFTPTransport.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <stdexcept>

namespace {

constexpr std::uint16_t LastBlockNumber = 65535;
// Work counts of the window are 32-bit; larger uploads are refused before they begin.
constexpr std::int64_t MaxUploadSize = std::numeric_limits<std::int32_t>::max();

// The state of one upload between two replies.
struct UploadState {
    std::int32_t lastBuilt = 0; // the request counts as block 0; -1 right after a wrap
    std::int32_t next = 1;      // number of the block to send next
    bool wrapped = false;       // numbers have passed 65535 at least once
    bool finished = false;      // the last, short block has been built
    std::int32_t timeouts = 0;  // consecutive reply waits without a packet
    std::string current;        // the DATA packet last built, sent again when needed

    // The acknowledged number, not the number last sent, decides what comes next. After the
    // numbers have wrapped, an ACK from the previous round (a late duplicate of ACK 65535, say)
    // is old: it makes the current packet go out again instead of skipping data.
    void Acknowledged(std::uint16_t block) {
        timeouts = 0;
        if (wrapped && !current.empty() && lastBuilt >= 0 &&
            BlockPrecedes(block, static_cast<std::uint16_t>(lastBuilt))) {
            return;
        }
        if (block == LastBlockNumber) {
            next = 0;
            lastBuilt = -1;
            wrapped = true;
        } else {
            next = block + 1;
        }
    }
};

} // namespace

void TIdTrivialFTP::Upload(std::istream& source, const std::string& remoteFile,
                           std::int32_t retries) {
    const std::int64_t size = RemainingSize(source);
    if (size <= 0) {
        throw EIdTFTPException(RSTFTPFileSizeZero);
    }
    if (size > MaxUploadSize) {
        throw std::out_of_range("File too large to send: " + std::to_string(size) +
                                " bytes, at most " + std::to_string(MaxUploadSize));
    }
    RunTransfer(workWrite, size, TFTP_WRQ, remoteFile,
                [&](TIdTFTPTransport& transport) { RunUpload(transport, source, size, retries); });
}

void TIdTrivialFTP::Upload(const std::string& localPath, const std::string& remoteFile,
                           std::int32_t retries) {
    std::ifstream file = OpenSourceFile(localPath);
    Upload(file, remoteFile, retries);
}

void TIdTrivialFTP::RunUpload(TIdTFTPTransport& transport, std::istream& source, std::int64_t size,
                              std::int32_t retries) {
    UploadState state;
    std::int64_t left = size;
    for (;;) {
        const std::optional<std::string> packet = WaitForReply(transport, workWrite);
        if (!packet) {
            if (state.finished) {
                return;
            }
            ++state.timeouts;
            // The request itself is never repeated, and nothing is repeated on the serial line.
            if (!transport.PeerKnown() || state.timeouts >= retries) {
                throw EIdTFTPException(RSTFTPTimeout);
            }
        } else if (packet->size() < TFTP_HEADER_SIZE) {
            if (state.finished) {
                return;
            }
            RaiseShortPacket(packet->size());
        } else {
            switch (PacketOpcode(*packet)) {
            case TFTP_ACK:
                state.Acknowledged(PacketWord(*packet));
                if (state.finished) {
                    return;
                }
                break;
            case TFTP_ERROR:
                RaiseErrorPacket(*packet);
            case TFTP_OACK:
                ApplyOptionAck(*packet, transport);
                break;
            default:
                break; // the current packet goes out again
            }
        }
        if (state.next > state.lastBuilt) {
            const auto count =
                static_cast<std::size_t>(std::min<std::int64_t>(left, FullBlockSize()));
            state.current =
                BuildDataPacket(static_cast<std::uint16_t>(state.next), ReadBlock(source, count));
            left -= static_cast<std::int64_t>(count);
            if (count > 0) {
                DoWork(workWrite, static_cast<std::int64_t>(count));
            }
            state.finished = count < FullBlockSize();
            state.lastBuilt = state.next;
        }
        transport.SendToPeer(state.current);
    }
}
