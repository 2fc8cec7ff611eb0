// Download: read request, then DATA blocks in order, each acknowledged, until a short block.
#include "tftp/IdTrivialFTP.h"

#include "tftp/IdResourceStrings.h"
#include "tftp/IdTFTPStreams.h"
#include "tftp/IdTFTPTransport.h"

#include <fstream>
#include <ostream>

namespace {

constexpr std::int32_t NoBlockStored = -1;
constexpr std::int32_t LastBlockNumber = 65535;

enum class BlockOrder { New, Repeated, Skipped };

// The block due next after lastStored: 1 at the start (0 is taken as well), else lastStored + 1.
std::int32_t ExpectedBlock(std::int32_t lastStored) {
    return lastStored == NoBlockStored ? 1 : lastStored + 1;
}

// lastStored: number of the block last stored, NoBlockStored before the first one and right
// after the numbers have wrapped. wrapped: the numbers have passed 65535 at least once, so that
// a high number may be a late copy from the previous round.
BlockOrder ClassifyBlock(std::int32_t lastStored, std::uint16_t block, bool wrapped) {
    if (block <= lastStored) {
        return BlockOrder::Repeated;
    }
    if (block <= ExpectedBlock(lastStored)) {
        return BlockOrder::New;
    }
    if (wrapped && lastStored != NoBlockStored &&
        BlockPrecedes(block, static_cast<std::uint16_t>(lastStored))) {
        return BlockOrder::Repeated;
    }
    return BlockOrder::Skipped;
}

} // namespace

void TIdTrivialFTP::Download(const std::string& remoteFile, std::ostream& destination) {
    TIdReceivedData received(destination);
    try {
        RunTransfer(workRead, 0, TFTP_RRQ, remoteFile,
                    [&](TIdTFTPTransport& transport) { RunDownload(transport, received); });
    } catch (...) {
        received.FlushAfterFailure();
        throw;
    }
}

void TIdTrivialFTP::Download(const std::string& remoteFile, const std::string& localPath) {
    std::ofstream file = CreateLocalFile(localPath);
    Download(remoteFile, file);
    CloseLocalFile(file, localPath);
}

void TIdTrivialFTP::RunDownload(TIdTFTPTransport& transport, TIdReceivedData& received) {
    std::int32_t lastStored = NoBlockStored;
    bool wrapped = false;
    bool finished = false;
    while (!finished) {
        const std::optional<std::string_view> packet = WaitForReply(transport, workRead);
        if (!packet) {
            throw EIdTFTPException(RSTFTPTimeout);
        }
        if (packet->size() < TFTP_HEADER_SIZE) {
            RaiseShortPacket(packet->size());
        }
        std::uint16_t current = 0;
        bool acknowledged = false;
        switch (PacketOpcode(*packet)) {
        case TFTP_DATA:
            current = PacketWord(*packet);
            if (lastStored == LastBlockNumber && current <= 1) {
                lastStored = NoBlockStored;
                wrapped = true;
            }
            switch (ClassifyBlock(lastStored, current, wrapped)) {
            case BlockOrder::New:
                if (DataPayload(*packet).size() < FullBlockSize() &&
                    transport.TrailingBytesFollow()) {
                    // Its first part would pass for the last block and end the file early.
                    TellPeerAndThrow(transport, EIdTFTPIllegalOperation(
                                                    "Data block " + std::to_string(current) +
                                                    " was cut in two by a pause on the line"));
                }
                finished = DataPayload(*packet).size() < FullBlockSize();
                if (!finished) {
                    // A full block is acknowledged before it is stored, so that the device sends
                    // the next one meanwhile; only the last block's ACK says the file is whole.
                    AcknowledgeBlock(current, transport);
                    acknowledged = true;
                }
                StoreBlock(transport, received, DataPayload(*packet), finished);
                lastStored = current;
                break;
            case BlockOrder::Repeated:
                break; // acknowledged again, not stored
            case BlockOrder::Skipped:
                // Storing it would put its data where the missing blocks belong.
                TellPeerAndThrow(transport,
                                 EIdTFTPIllegalOperation("Data block " + std::to_string(current) +
                                                         " arrived while block " +
                                                         std::to_string(ExpectedBlock(lastStored)) +
                                                         " was expected: data is missing"));
            }
            break;
        case TFTP_ERROR:
            RaiseErrorPacket(*packet);
        case TFTP_OACK:
            ApplyOptionAck(*packet, transport);
            current = 0;
            break;
        default:
            throw EIdTFTPException(UnexpectedOperationText());
        }
        if (!acknowledged) {
            AcknowledgeBlock(current, transport);
        }
    }
}

// Stores one new block, the last one (shorter than a full block) through to the destination.
void TIdTrivialFTP::StoreBlock(TIdTFTPTransport& transport, TIdReceivedData& received,
                               std::string_view data, bool last) {
    try {
        received.Append(data);
        if (last) {
            // The device takes the ACK of the last block for a transfer that has succeeded, and
            // may then delete or change its copy: the data must have reached the file before.
            // A full disk found here goes to the device as an ERROR in place of that ACK.
            received.Flush();
        }
        DoWork(workRead, static_cast<std::int64_t>(data.size()));
    } catch (const std::exception& error) {
        // The server learns why the transfer stops, with the code of the failure's class.
        TellPeer(transport, BuildErrorPacketFor(error));
        throw;
    }
}
