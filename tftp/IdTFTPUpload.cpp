// Upload: write request, then DATA blocks, each sent when the previous one is acknowledged,
// until a block shorter than a full block has gone out and has been acknowledged.
//
// A device that starts installing firmware may never acknowledge the last block, so once that
// block is out, a silent reply wait or a short packet counts as the end of a successful upload.
// On the network the last block first goes out once more after the silence: a device that lost
// it may wait longer than we do before it asks again, and acknowledges the copy, while one that
// installs stays silent. A repeated ACK for the block before it is different: the device is alive
// and tells us that the last block did not arrive, so it goes out again at once.
//
// From the moment the last block is out the device holds the whole file, so a cancel no longer
// ends the upload: it runs to its end and reports that.
#include "tftp/IdTrivialFTP.h"

#include "tftp/IdResourceStrings.h"
#include "tftp/IdSourceLock.h"
#include "tftp/IdTFTPStreams.h"
#include "tftp/IdTFTPTransport.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <stdexcept>

namespace {

// Work counts of the window are 32-bit; larger uploads are refused before they begin.
constexpr std::int64_t MaxUploadSize = std::numeric_limits<std::int32_t>::max();
// Block numbers run in rounds of 65536; an ACK up to half a round behind is a late one.
constexpr std::int64_t HalfRound = 0x8000;

// What the device sent in place of an ACK, as a message names it.
std::string PacketName(std::string_view packet) {
    const std::uint16_t opcode = PacketOpcode(packet);
    switch (opcode) {
    case TFTP_RRQ:
        return "a read request";
    case TFTP_WRQ:
        return "a write request";
    case TFTP_DATA:
        return "DATA block " + std::to_string(PacketWord(packet));
    case TFTP_OACK:
        return "an option acknowledgement (OACK)";
    default:
        return "a packet of unknown opcode " + std::to_string(opcode);
    }
}

} // namespace

// One upload between two replies: which block went out last, and what the next reply means.
class TIdTrivialFTP::TUploadState {
public:
    enum class Step {
        SendNext,  // build the block after the current one and send it
        SendAgain, // send the current block again
        Done,      // the upload has ended successfully
    };

    TUploadState(TIdTrivialFTP& client, TIdTFTPTransport& transport, TIdSourceData& source,
                 std::int64_t size, std::int32_t retries)
        : Client(client), Transport(transport), Source(source), Unsent(size), Retries(retries) {}

    // What follows a reply wait (nothing: it ended without a packet). Raises when the upload
    // fails.
    Step After(const std::optional<std::string_view>& reply) {
        if (!reply) {
            return AfterSilence();
        }
        if (reply->size() < TFTP_HEADER_SIZE) {
            if (Finished) {
                return Step::Done;
            }
            RaiseShortPacket(reply->size());
        }
        switch (PacketOpcode(*reply)) {
        case TFTP_ACK:
            return AfterAck(PacketWord(*reply));
        case TFTP_ERROR:
            RaiseErrorPacket(*reply);
        case TFTP_OACK:
            Client.ApplyOptionAck(*reply, Transport);
            return StartOrSendAgain(*reply);
        default:
            return StartOrSendAgain(*reply);
        }
    }

    // The last block has gone out: the device holds the whole file.
    bool LastBlockOut() const { return Finished; }

    // Reads the block after the current one from the source; it becomes the current packet.
    void BuildNext() {
        const std::size_t full = Client.FullBlockSize();
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(Unsent, static_cast<std::int64_t>(full)));
        LastSent = static_cast<std::uint16_t>(LastSent + 1); // 65535 is followed by 0
        FillDataPacket(Current, LastSent, Source.Next(count));
        Unsent -= static_cast<std::int64_t>(count);
        ++Built;
        Failures = 0;
        SpareAcks = Copies - 1;
        Copies = 1;
        Finished = count < full;
        Fresh = true;
    }

    // After a send: a block that has just gone out for the first time is counted, and the last
    // one announced. The events come after the send, so that they never hold up a block the
    // device is waiting for; the announcement comes first, so that a cancel given in the progress
    // event already finds the upload past it.
    void ReportSent() {
        if (!Fresh) {
            return;
        }
        Fresh = false;
        if (Finished && Client.OnLastBlockSent) {
            Client.OnLastBlockSent();
        }
        const std::size_t count = DataPayload(Current).size();
        if (count > 0) {
            Client.DoWork(workWrite, static_cast<std::int64_t>(count));
        }
    }

    // The current block goes out once more.
    void Repeat() { ++Copies; }

    const std::string& CurrentPacket() const { return Current; }

private:
    Step AfterSilence() {
        if (Finished) {
            // Nothing is repeated on the serial line; on the network the copy goes out once.
            if (!Transport.PeerKnown() || CopiedAfterSilence) {
                return Step::Done;
            }
            CopiedAfterSilence = true;
            return Step::SendAgain;
        }
        // The request itself is never repeated, and nothing is repeated on the serial line.
        if (!Transport.PeerKnown() || ++Failures >= Retries) {
            throw EIdTFTPException(RSTFTPTimeout);
        }
        return Step::SendAgain;
    }

    Step AfterAck(std::uint16_t block) {
        // The acknowledged number, not the number last sent, decides what comes next.
        const auto behind = static_cast<std::uint16_t>(LastSent - block);
        if (behind == 0) {
            return Finished ? Step::Done : Step::SendNext;
        }
        if (behind > std::min(Built, HalfRound)) {
            // Sending on would put later data under the wrong numbers.
            TellPeerAndThrow(Transport, EIdTFTPIllegalOperation("The device acknowledged block " +
                                                                std::to_string(block) +
                                                                ", but the last block sent was " +
                                                                std::to_string(LastSent)));
        }
        // A repeated or late ACK: the current block has not arrived (or its ACK is still on the
        // way). The device answers every copy of a block, so each extra copy of the block before
        // draws one such ACK that says nothing about the current block; beyond those, a device
        // that only ever repeats its ACK is given up like a silent one.
        if (SpareAcks > 0) {
            --SpareAcks;
        } else if (++Failures >= Retries) {
            TellPeerAndThrow(Transport,
                             EIdTFTPException("Block " + std::to_string(LastSent) + " was sent " +
                                              std::to_string(Copies) +
                                              " times, but the device keeps acknowledging block " +
                                              std::to_string(block)));
        }
        return Step::SendAgain;
    }

    // Any reply to the request starts the data. Later, any other packet than an ACK brings the
    // current block again, and counts like a reply wait that brought nothing: a device that keeps
    // talking without acknowledging must not hold the upload for ever.
    Step StartOrSendAgain(std::string_view reply) {
        if (Built == 0) {
            return Step::SendNext;
        }
        if (++Failures >= Retries) {
            TellPeerAndThrow(Transport,
                             EIdTFTPException("Block " + std::to_string(LastSent) + " was sent " +
                                              std::to_string(Copies) +
                                              " times, but the device answers with " +
                                              PacketName(reply) + " instead of acknowledging it"));
        }
        return Step::SendAgain;
    }

    TIdTrivialFTP& Client;
    TIdTFTPTransport& Transport;
    TIdSourceData& Source;
    std::int64_t Unsent;        // bytes of the source not yet built into a block
    std::int32_t Retries;       // consecutive failed attempts that fail the upload
    std::uint16_t LastSent = 0; // number of the current block; 0 stands for the request
    std::int64_t Built = 0;     // DATA blocks built so far: how far back an ACK can reach
    bool Finished = false;      // the current block is the last, short one
    // Consecutive reply waits for the current block that ended in silence or a repeated ACK.
    std::int32_t Failures = 0;
    std::int32_t Copies = 1;    // times the current block (or the request) has gone out
    std::int32_t SpareAcks = 0; // repeated ACKs that extra copies of the block before still owe
    std::string Current;        // the DATA packet last built, sent again when needed
    bool Fresh = false;         // the current block has not gone out yet
    // The last block went out once more after a silent reply wait.
    bool CopiedAfterSilence = false;
};

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
    TIdSourceData data(source, size);
    try {
        RunTransfer(workWrite, size, TFTP_WRQ, remoteFile, [&](TIdTFTPTransport& transport) {
            RunUpload(transport, data, size, retries);
        });
    } catch (...) {
        data.RewindUntaken();
        throw;
    }
}

void TIdTrivialFTP::Upload(const std::string& localPath, const std::string& remoteFile,
                           std::int32_t retries) {
    // Held until the upload has ended, so that nobody changes the file while it is being sent.
    const TIdSourceLock lock(localPath);
    std::ifstream file = OpenSourceFile(localPath);
    Upload(file, remoteFile, retries);
}

void TIdTrivialFTP::RunUpload(TIdTFTPTransport& transport, TIdSourceData& source, std::int64_t size,
                              std::int32_t retries) {
    TUploadState upload(*this, transport, source, size, retries);
    for (;;) {
        switch (upload.After(WaitForReply(transport, workWrite, !upload.LastBlockOut()))) {
        case TUploadState::Step::Done:
            return;
        case TUploadState::Step::SendNext:
            upload.BuildNext();
            break;
        case TUploadState::Step::SendAgain:
            upload.Repeat();
            break;
        }
        transport.SendToPeer(upload.CurrentPacket());
        upload.ReportSent();
    }
}
