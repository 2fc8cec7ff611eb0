// Download: read request, then DATA blocks in order, each acknowledged, until a block shorter
// than a full block has been stored and acknowledged.
//
// The device sends a block, waits for its ACK and sends the next one; it never sends ahead. So
// the ACK says "go on", and the ACK of the last block says "the file is whole", after which a
// device may delete or change its copy. A full block is therefore acknowledged before it is
// written (the device sends the next one meanwhile), the last one only after it has reached the
// file. Nothing is ever sent again on a silent line: a device that lost our ACK sends its
// block again, and a block that was stored already is only acknowledged once more.
//
// Block numbers wrap from 65535 to 0 (some devices go on with 1), so a file of more than 65535
// blocks still arrives in order.
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

// One download between two packets: which block was stored last, and what the packet that has
// just come means.
class TIdTrivialFTP::TDownloadState {
public:
    enum class Step {
        StoreAndGoOn, // a new full block: acknowledge it, then store it
        StoreLast,    // the new short block that ends the file: store it, then acknowledge it
        AckOnly,      // a block stored before, or an option acknowledgement: acknowledge only
    };

    TDownloadState(TIdTrivialFTP& client, TIdTFTPTransport& transport, TIdReceivedData& received)
        : Client(client), Transport(transport), Received(received) {}

    // What follows a reply wait (nothing: it ended without a packet). Raises when the download
    // fails.
    Step After(const std::optional<std::string_view>& packet) {
        // The request and the last ACK are never sent again: a device that lost our ACK sends
        // its block again by itself, so silence means it has given up.
        if (!packet) {
            throw EIdTFTPException(RSTFTPTimeout);
        }
        if (packet->size() < TFTP_HEADER_SIZE) {
            RaiseShortPacket(packet->size());
        }
        switch (PacketOpcode(*packet)) {
        case TFTP_DATA:
            return AfterData(PacketWord(*packet), DataPayload(*packet));
        case TFTP_ERROR:
            RaiseErrorPacket(*packet);
        case TFTP_OACK:
            // The device agreed to the block size: ACK 0 asks for the first block.
            Client.ApplyOptionAck(*packet, Transport);
            Current = 0;
            return Step::AckOnly;
        default:
            throw EIdTFTPException(Client.UnexpectedOperationText());
        }
    }

    // Writes the new block to the destination; the last one goes through to it.
    void Store(bool last) {
        try {
            Received.Append(Data);
            if (last) {
                // The device takes the ACK of the last block for a transfer that has succeeded,
                // and may then delete or change its copy: the data must have reached the file
                // before. A full disk found here goes to the device as an ERROR in place of that
                // ACK.
                Received.Flush();
            }
            Client.DoWork(workRead, static_cast<std::int64_t>(Data.size()));
        } catch (const std::exception& error) {
            // The server learns why the transfer stops, with the code of the failure's class.
            TellPeer(Transport, BuildErrorPacketFor(error));
            throw;
        }
        LastStored = Current;
    }

    // The number the next ACK carries: the block just received, or 0 after an OACK.
    std::uint16_t CurrentBlock() const { return Current; }

private:
    Step AfterData(std::uint16_t block, std::string_view data) {
        Current = block;
        if (LastStored == LastBlockNumber && Current <= 1) {
            LastStored = NoBlockStored;
            Wrapped = true;
        }
        switch (ClassifyBlock(LastStored, Current, Wrapped)) {
        case BlockOrder::Repeated:
            // Our ACK was lost or is late: the device sent the block again.
            return Step::AckOnly;
        case BlockOrder::Skipped:
            // Storing it would put its data where the missing blocks belong.
            TellPeerAndThrow(Transport,
                             EIdTFTPIllegalOperation("Data block " + std::to_string(Current) +
                                                     " arrived while block " +
                                                     std::to_string(ExpectedBlock(LastStored)) +
                                                     " was expected: data is missing"));
        case BlockOrder::New:
            break;
        }
        Data = data;
        if (Data.size() >= Client.FullBlockSize()) {
            return Step::StoreAndGoOn;
        }
        if (Transport.TrailingBytesFollow()) {
            // Its first part would pass for the last block and end the file early.
            TellPeerAndThrow(Transport,
                             EIdTFTPIllegalOperation("Data block " + std::to_string(Current) +
                                                     " was cut in two by a pause on the line"));
        }
        return Step::StoreLast;
    }

    TIdTrivialFTP& Client;
    TIdTFTPTransport& Transport;
    TIdReceivedData& Received;
    // Number of the block last stored; NoBlockStored before the first and right after a wrap.
    std::int32_t LastStored = NoBlockStored;
    bool Wrapped = false;      // the numbers have passed 65535 at least once
    std::uint16_t Current = 0; // the block just received; 0 after an OACK
    std::string_view Data;     // its data, valid until the next reply wait
};

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
    TDownloadState download(*this, transport, received);
    for (;;) {
        switch (download.After(WaitForReply(transport, workRead))) {
        case TDownloadState::Step::StoreAndGoOn:
            AcknowledgeBlock(download.CurrentBlock(), transport);
            download.Store(false);
            break;
        case TDownloadState::Step::StoreLast:
            download.Store(true);
            AcknowledgeBlock(download.CurrentBlock(), transport);
            return;
        case TDownloadState::Step::AckOnly:
            AcknowledgeBlock(download.CurrentBlock(), transport);
            break;
        }
    }
}
