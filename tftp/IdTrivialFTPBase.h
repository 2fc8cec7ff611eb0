// TFTP packets and errors (RFC 1350 with the option extension of RFC 2347 and the block-size
// option of RFC 2348), for both sides of a transfer: the client builds requests, ACKs and ERRORs
// and decodes DATA, OACK and ERROR; a server (the device simulator) builds DATA, ACK, OACK and
// ERROR and decodes requests. Packets are byte strings (std::string, NUL bytes allowed); every
// 16-bit field is in network byte order.
//
// Decoders never read past the end of a packet: missing bytes and missing zero terminators are
// treated as the end of the text.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Opcodes.
inline constexpr std::uint16_t TFTP_RRQ = 1;
inline constexpr std::uint16_t TFTP_WRQ = 2;
inline constexpr std::uint16_t TFTP_DATA = 3;
inline constexpr std::uint16_t TFTP_ACK = 4;
inline constexpr std::uint16_t TFTP_ERROR = 5;
inline constexpr std::uint16_t TFTP_OACK = 6;

// Error codes of ERROR packets.
inline constexpr std::uint16_t ERR_UNDEFINED = 0;
inline constexpr std::uint16_t ERR_FILE_NOT_FOUND = 1;
inline constexpr std::uint16_t ERR_ACCESS_VIOLATION = 2;
inline constexpr std::uint16_t ERR_ALLOCATION_EXCEEDED = 3;
inline constexpr std::uint16_t ERR_ILLEGAL_OPERATION = 4;
inline constexpr std::uint16_t ERR_UNKNOWN_TRANSFER_ID = 5;
inline constexpr std::uint16_t ERR_FILE_ALREADY_EXISTS = 6;
inline constexpr std::uint16_t ERR_NO_SUCH_USER = 7;
inline constexpr std::uint16_t ERR_OPTION_NEGOTIATION_FAILED = 8;

// Sizes. A packet is a 4-byte header (opcode and block number or error code) plus its data.
inline constexpr std::size_t TFTP_HEADER_SIZE = 4;
inline constexpr std::int32_t TFTP_DEFAULT_BLOCK_SIZE = 512;
inline constexpr std::int32_t TFTP_MIN_BLOCK_SIZE = 8;     // smallest block size RFC 2348 allows
inline constexpr std::int32_t TFTP_MAX_BLOCK_SIZE = 65464; // largest block size RFC 2348 allows
inline constexpr const char* TFTP_BLKSIZE_OPTION = "blksize";

// Message texts of the failures the client raises itself. The first three are the replaceable
// message resources of the program; the others are fixed.
inline constexpr const char* RSTFTPTimeout = "Timeout";
inline constexpr const char* RSTFTPOperationCanceled = "Operation canceled";
inline constexpr const char* RSTFTPUnexpectedOp = "Unexpected operation from %s:%d";
inline constexpr const char* RSTFTPUnableToOpenPort = "Unable to open RS232 port COM";
inline constexpr const char* RSTFTPFileSizeZero = "Filesize=0";
inline constexpr const char* RSTFTPUnknownTransferID = "Unknown transfer ID";

// Common base of every exception of the socket and TFTP layers; carries only its message.
class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// A failure of the datagram endpoint: name resolution, socket calls, oversized datagrams.
class EIdSocketError : public EIdException {
public:
    using EIdException::EIdException;
};

// Every failure the TFTP client raises itself. ErrorCode is the TFTP error code that reports the
// failure to the peer; each subclass stands for one code, and a class derived from a subclass
// keeps that code.
class EIdTFTPException : public EIdException {
public:
    using EIdException::EIdException;
    virtual std::uint16_t ErrorCode() const { return ERR_UNDEFINED; }
};

class EIdTFTPFileNotFound : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_FILE_NOT_FOUND; }
};

class EIdTFTPAccessViolation : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_ACCESS_VIOLATION; }
};

class EIdTFTPAllocationExceeded : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_ALLOCATION_EXCEEDED; }
};

class EIdTFTPIllegalOperation : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_ILLEGAL_OPERATION; }
};

class EIdTFTPUnknownTransferID : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_UNKNOWN_TRANSFER_ID; }
};

class EIdTFTPFileAlreadyExists : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_FILE_ALREADY_EXISTS; }
};

class EIdTFTPNoSuchUser : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_NO_SUCH_USER; }
};

class EIdTFTPOptionNegotiationFailed : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    std::uint16_t ErrorCode() const override { return ERR_OPTION_NEGOTIATION_FAILED; }
};

// Error table, code to class: throws the exception class of the code with the given message;
// codes without a class of their own (0 and above 8) throw EIdTFTPException.
[[noreturn]] void RaiseTFTPError(std::uint16_t code, const std::string& message);

// Error table, class to code: the code of an EIdTFTPException (sub)class, 0 for any other
// exception.
std::uint16_t ErrorCodeOf(const std::exception& error);

// Anything that can send one datagram to a host and port: the client's datagram endpoint, or a
// server's socket.
class TIdDatagramSender {
public:
    virtual ~TIdDatagramSender() = default;
    virtual void SendDatagram(const std::string& host, std::int32_t port,
                              const std::string& bytes) = 0;
};

// Option name and value pairs, in packet order.
using TIdTFTPOptions = std::vector<std::pair<std::string, std::string>>;

// --- Builders -------------------------------------------------------------------------------

std::string EncodeWord(std::uint16_t value);

// RRQ or WRQ: opcode, file name (as given, byte for byte), 0, mode, 0, then name 0 value 0 for
// every option.
std::string BuildRequestPacket(std::uint16_t opcode, const std::string& fileName,
                               const std::string& mode, const TIdTFTPOptions& options);
std::string BuildDataPacket(std::uint16_t block, std::string_view data);
std::string BuildAckPacket(std::uint16_t block);
std::string BuildErrorPacket(std::uint16_t code, const std::string& message);
std::string BuildOptionAckPacket(const TIdTFTPOptions& options);

// Builds the ERROR packet and, unless buildOnly is set, sends it as one datagram to
// peerIP:peerPort through endpoint (which may be null when buildOnly is set). Returns the packet,
// so that a caller on another transport can send it itself.
std::string SendErrorPacket(TIdDatagramSender* endpoint, const std::string& peerIP,
                            std::int32_t peerPort, std::uint16_t code, const std::string& message,
                            bool buildOnly);

// SendErrorPacket with the code of the exception's class and its message.
std::string SendErrorForException(TIdDatagramSender* endpoint, const std::string& peerIP,
                                  std::int32_t peerPort, const std::exception& error,
                                  bool buildOnly);

// --- Decoders -------------------------------------------------------------------------------

// The first two bytes, most significant first. Throws std::out_of_range for fewer than 2 bytes.
std::uint16_t DecodeWord(std::string_view bytes);

// Opcode (bytes 0-1) and block number or error code (bytes 2-3); callers check that the packet
// holds at least TFTP_HEADER_SIZE bytes (both throw std::out_of_range otherwise).
std::uint16_t PacketOpcode(std::string_view packet);
std::uint16_t PacketWord(std::string_view packet);

// Data of a DATA packet: everything from byte 4 on (empty for shorter packets).
std::string_view DataPayload(std::string_view packet);

// Text of an ERROR packet: byte 4 up to the first zero byte or the end of the packet.
std::string ErrorText(std::string_view packet);

// Option pairs from offset on (after the header of an OACK, after file name and mode of a
// request). A name without a value gets an empty value.
TIdTFTPOptions DecodeOptions(std::string_view packet, std::size_t offset);

// A decoded RRQ or WRQ.
struct TIdTFTPRequest {
    std::uint16_t Opcode = 0;
    std::string FileName;
    std::string Mode;
    TIdTFTPOptions Options;
};

// Decodes a request; throws EIdTFTPIllegalOperation when the packet is no RRQ or WRQ or lacks
// the zero bytes that end file name and mode.
TIdTFTPRequest DecodeRequest(std::string_view packet);

// Raises the exception that a received ERROR packet stands for: the class of its code with the
// text in double quotes; for code 0 and codes above 8 EIdTFTPException with the quoted text
// followed by "(code=N)". Never returns.
[[noreturn]] void RaiseErrorPacket(std::string_view packet);

// The value of a block-size option if it is a decimal integer from 8 to 65464, else nothing.
std::optional<std::int32_t> ParseBlockSize(std::string_view text);

// Block numbers run in rounds of 65536. True when block lies up to half a round before
// reference (65535 precedes 0 and 1; 0 does not precede 40000).
bool BlockPrecedes(std::uint16_t block, std::uint16_t reference);

// Option names are compared without regard to letter case.
bool SameOptionName(std::string_view a, std::string_view b);

// Text from the network made fit for a message: printable ASCII kept, anything else shown as
// \xHH, and cut to maxLength characters with "..." appended.
std::string PrintableText(std::string_view text, std::size_t maxLength = 32);
