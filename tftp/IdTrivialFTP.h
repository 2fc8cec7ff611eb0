// The TFTP client: downloads and uploads one file per call, over UDP to Host:Port, or as raw
// packets on the serial line COM<Port> when Host is empty.
//
// Every operation blocks until the transfer has completed exactly, or raises an exception whose
// message says why not. Replies are awaited in one-second slices; after each empty slice OnWork
// fires with an unchanged total (so a window can process input) and CancelRequested is tested.
// The transport is opened for one transfer and closed afterwards, whatever the outcome.
#pragma once

#include "support/Clock.h"
#include "tftp/IdTrivialFTPBase.h"
#include "tftp/IdUDPBase.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

class CancelToken;
class TPivotobject;
class TIdTFTPTransport;
class TIdReceivedData;
class TIdSourceData;

enum TIdTFTPMode { tfNetAscii, tfOctet };

class TIdTrivialFTP final : public TIdUDPClient {
public:
    TIdTrivialFTP();
    ~TIdTrivialFTP();

    // Value of the "blksize" option sent with every request.
    std::int32_t RequestedBlockSize = 1500;
    // Only the mode name in the request changes: data bytes are never converted.
    TIdTFTPMode TransferMode = tfOctet;

    // Set from the window's cancel button, a signal handler or another thread; noticed at the
    // end of the current one-second slice. Cleared at the start of every transfer. Once the last
    // block of an upload has gone out, the device holds the whole file and a cancel no longer
    // ends the upload: it runs to its end and reports how that went.
    std::atomic<bool> CancelRequested{false};
    // The cancel of the action the transfers belong to, where the caller has one: tested with
    // CancelRequested after every slice, but never cleared by the client, so that a request
    // made while the action prepared its transfer still counts.
    const CancelToken* ActionCancel = nullptr;
    // Silence on the serial line (ms) that ends a received packet.
    std::int32_t SerialGapTimeout = 10;
    // Called once per upload, right after its last block has gone out for the first time: from
    // then on the upload can no longer be cancelled (a device that installs firmware may be
    // flashing already).
    std::function<void()> OnLastBlockSent;

    // Decided at the start of every transfer: true when Host is empty.
    bool UseSerial() const { return UseSerial_; }
    // The serial port object, created at the first serial transfer and reused afterwards.
    const TPivotobject* SerialLink() const { return SerialLink_.get(); }
    // Hands over the serial port object for the serial transfers to come, in place of the one
    // the client would make: a port on another line (a pseudo-terminal) or another device.
    void SetSerialLink(std::unique_ptr<TPivotobject> link);
    // Sender of the packet last received on the network; empty and 0 after a silent slice.
    const std::string& PeerIP() const { return PeerIP_; }
    std::int32_t PeerPort() const { return PeerPort_; }

    // The clock the reply slices and the serial line's waits take their time from.
    Clock* TimeSource = &SystemClock();
    // Opens the channel of a transfer in place of the network or the serial line, when set: for
    // tools and tests that run the exchange over a channel of their own.
    std::function<std::unique_ptr<TIdTFTPTransport>()> TransportOverride;

    // Writes the remote file to destination from its current position on. After a failure the
    // stream keeps the blocks stored so far.
    void Download(const std::string& remoteFile, std::ostream& destination);
    // Creates (or empties) the local file before anything is sent. The file is not deleted when
    // the download fails; that is the caller's business.
    void Download(const std::string& remoteFile, const std::string& localPath);

    // Sends the bytes from the stream's position to its end, and returns once the device has
    // acknowledged the last block (or fell silent after it: a device that installs firmware may
    // never answer; on the network the last block first goes out once more, for a device that
    // lost it). The current block is sent again after a reply time-out (on the network only) and
    // at once after any other reply than its ACK. retries: consecutive reply waits for one block
    // that may end so (in silence, in a repeated ACK that no extra copy of the block before
    // explains, or in another packet) before the upload gives up.
    void Upload(std::istream& source, const std::string& remoteFile, std::int32_t retries);
    // The file stays open, with other writers shut out where the system allows it, until the
    // upload has ended.
    void Upload(const std::string& localPath, const std::string& remoteFile, std::int32_t retries);

    std::string ModeName() const;

private:
    class TDownloadState;
    class TUploadState;

    void RunTransfer(TWorkMode mode, std::int64_t size, std::uint16_t opcode,
                     const std::string& remoteFile,
                     const std::function<void(TIdTFTPTransport&)>& exchange);
    std::unique_ptr<TIdTFTPTransport> OpenTransport();
    // cancellable: false once the wait may no longer be cut short by a cancel.
    std::optional<std::string_view> WaitForReply(TIdTFTPTransport& transport, TWorkMode mode,
                                                 bool cancellable = true);
    std::size_t FullBlockSize() const;

    void ApplyOptionAck(std::string_view packet, TIdTFTPTransport& transport);
    // Refuses a block size that follows another option and differs from the blocks in force.
    void RefuseLaterBlockSize(const TIdTFTPOptions& options, TIdTFTPTransport& transport) const;
    void AcknowledgeBlock(std::uint16_t block, TIdTFTPTransport& transport);
    [[noreturn]] static void RaiseShortPacket(std::size_t length);
    std::string UnexpectedOperationText() const;

    void RunDownload(TIdTFTPTransport& transport, TIdReceivedData& received);
    void RunUpload(TIdTFTPTransport& transport, TIdSourceData& source, std::int64_t size,
                   std::int32_t retries);

    bool UseSerial_ = false;
    std::unique_ptr<TPivotobject> SerialLink_;
    std::string PeerIP_;
    std::int32_t PeerPort_ = 0;
};
