// The transfer frame shared by downloads and uploads: work events, transport, request, reply
// slices, option agreement and the clean-up after every transfer.
#include "tftp/IdTrivialFTP.h"

#include "serial/zivud232.h"
#include "support/CancelToken.h"
#include "tftp/IdResourceStrings.h"
#include "tftp/IdSerialTransport.h"
#include "tftp/IdTFTPTransport.h"
#include "tftp/IdUDPTransport.h"

#include <algorithm>
#include <exception>

namespace {

constexpr std::int32_t DefaultPort = 69;
constexpr std::int32_t DefaultReceiveTimeout = 4000; // ms
constexpr std::int32_t SliceMs = 1000;

void ReplaceFirst(std::string& text, std::string_view placeholder, const std::string& value) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
    }
}

} // namespace

TIdTrivialFTP::TIdTrivialFTP() {
    Port = DefaultPort;
    ReceiveTimeout = DefaultReceiveTimeout;
}

TIdTrivialFTP::~TIdTrivialFTP() = default;

void TIdTrivialFTP::SetSerialLink(std::unique_ptr<TPivotobject> link) {
    SerialLink_ = std::move(link);
}

std::string TIdTrivialFTP::ModeName() const {
    return TransferMode == tfNetAscii ? "netascii" : "octet";
}

void TIdTrivialFTP::RunTransfer(TWorkMode mode, std::int64_t size, std::uint16_t opcode,
                                const std::string& remoteFile,
                                const std::function<void(TIdTFTPTransport&)>& exchange) {
    // Cleared before the work begins: a window lets the user act inside OnWorkBegin, and a
    // cancel given there must not be lost.
    CancelRequested = false;
    BeginWork(mode, size);
    std::exception_ptr failure;
    std::unique_ptr<TIdTFTPTransport> transport;
    try {
        transport = OpenTransport();
        SetBufferSize(TFTP_DEFAULT_BLOCK_SIZE + static_cast<std::int32_t>(TFTP_HEADER_SIZE));
        const TIdTFTPOptions options{{TFTP_BLKSIZE_OPTION, std::to_string(RequestedBlockSize)}};
        transport->SendRequest(BuildRequestPacket(opcode, remoteFile, ModeName(), options));
        exchange(*transport);
    } catch (...) {
        failure = std::current_exception();
    }
    // Clean-up in every case; the first failure is the one the caller gets.
    try {
        EndWork(mode);
    } catch (...) {
        failure = failure ? failure : std::current_exception();
    }
    try {
        if (transport) {
            transport->Close();
        }
    } catch (...) {
        failure = failure ? failure : std::current_exception();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

std::unique_ptr<TIdTFTPTransport> TIdTrivialFTP::OpenTransport() {
    UseSerial_ = Host.empty();
    if (TransportOverride) {
        return TransportOverride();
    }
    if (!UseSerial_) {
        return std::make_unique<TIdUDPTransport>(Binding(), Host, Port, *TimeSource);
    }
    if (!SerialLink_) {
        SerialLink_ = std::make_unique<TPivotobject>(*TimeSource);
    }
    return std::make_unique<TIdSerialTransport>(*SerialLink_, Port, SerialGapTimeout);
}

std::optional<std::string_view> TIdTrivialFTP::WaitForReply(TIdTFTPTransport& transport,
                                                            TWorkMode mode, bool cancellable) {
    // Time-outs count in whole seconds; anything below one second still waits one slice.
    const std::int32_t slices = std::max(1, ReceiveTimeout / SliceMs);
    for (std::int32_t slice = 0; slice < slices; ++slice) {
        const std::optional<std::string_view> packet =
            transport.ReceiveSlice(static_cast<std::size_t>(BufferSize()));
        PeerIP_ = transport.SenderIP();
        PeerPort_ = transport.SenderPort();
        if (cancellable &&
            (CancelRequested || (ActionCancel != nullptr && ActionCancel->Requested()))) {
            throw EIdTFTPException(RSTFTPOperationCanceled);
        }
        if (packet) {
            return packet;
        }
        DoWork(mode, 0);
    }
    return std::nullopt;
}

std::size_t TIdTrivialFTP::FullBlockSize() const {
    return static_cast<std::size_t>(BufferSize()) - TFTP_HEADER_SIZE;
}

void TIdTrivialFTP::ApplyOptionAck(std::string_view packet, TIdTFTPTransport& transport) {
    // Only the first option counts; the client asks for nothing but the block size.
    const TIdTFTPOptions options = DecodeOptions(packet, 2);
    if (options.empty()) {
        return;
    }
    if (!SameOptionName(options.front().first, TFTP_BLKSIZE_OPTION)) {
        RefuseLaterBlockSize(options, transport);
        return;
    }
    const std::string& value = options.front().second;
    const std::optional<std::int32_t> blockSize = ParseBlockSize(value);
    if (!blockSize) {
        // Never allocate or read by a size outside what the protocol allows.
        TellPeerAndThrow(transport, EIdTFTPOptionNegotiationFailed(
                                        "The server's block size \"" + PrintableText(value) +
                                        "\" is refused: it must be a number from " +
                                        std::to_string(TFTP_MIN_BLOCK_SIZE) + " to " +
                                        std::to_string(TFTP_MAX_BLOCK_SIZE)));
    }
    SetBufferSize(*blockSize + static_cast<std::int32_t>(TFTP_HEADER_SIZE));
}

void TIdTrivialFTP::RefuseLaterBlockSize(const TIdTFTPOptions& options,
                                         TIdTFTPTransport& transport) const {
    // A block size after another option is not adopted. Should the device mean other blocks
    // than those in force, the two sides would take different blocks for the short last one: a
    // download would end at the device's first smaller block and report a cut-off file as
    // complete, and the device would end an upload early and keep it cut off.
    const auto later = std::find_if(options.begin() + 1, options.end(), [](const auto& option) {
        return SameOptionName(option.first, TFTP_BLKSIZE_OPTION);
    });
    if (later == options.end()) {
        return;
    }
    const std::optional<std::int32_t> blockSize = ParseBlockSize(later->second);
    if (!blockSize || static_cast<std::size_t>(*blockSize) != FullBlockSize()) {
        TellPeerAndThrow(transport,
                         EIdTFTPOptionNegotiationFailed(
                             "The server's block size \"" + PrintableText(later->second) +
                             "\" follows another option and is not used; the blocks "
                             "stay at " +
                             std::to_string(FullBlockSize()) + " bytes"));
    }
}

void TIdTrivialFTP::AcknowledgeBlock(std::uint16_t block, TIdTFTPTransport& transport) {
    transport.SendToPeer(BuildAckPacket(block));
}

void TIdTrivialFTP::RaiseShortPacket(std::size_t length) {
    throw EIdTFTPException(std::string(RSTFTPTimeout) + " (only " + std::to_string(length) +
                           " char(s))");
}

std::string TIdTrivialFTP::UnexpectedOperationText() const {
    std::string text = RSTFTPUnexpectedOp;
    ReplaceFirst(text, "%s", Host);
    ReplaceFirst(text, "%d", std::to_string(Port));
    return text;
}
