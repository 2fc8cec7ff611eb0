// TFTP packets (RFC 1350 with the option extension of RFC 2347 and the block-size
// option of RFC 2348), for both sides of a transfer: the client builds requests, ACKs and ERRORs
// and decodes DATA, OACK and ERROR; a server (the device simulator) builds DATA, ACK, OACK and
// ERROR and decodes requests. Packets are byte strings (std::string, NUL bytes allowed); every
// 16-bit field is in network byte order.
//
// Decoders never read past the end of a packet: missing bytes and missing zero terminators are
// treated as the end of the text. The exception classes that ERROR packets stand for are in
// IdExceptions.h, the texts of the client's own failures in IdResourceStrings.h.
#pragma once

#include "tftp/IdExceptions.h"

#include <cstdint>
#include <optional>
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

// Sizes. A packet is a 4-byte header (opcode and block number or error code) plus its data.
inline constexpr std::size_t TFTP_HEADER_SIZE = 4;
inline constexpr std::int32_t TFTP_DEFAULT_BLOCK_SIZE = 512;
inline constexpr std::int32_t TFTP_MIN_BLOCK_SIZE = 8;     // smallest block size RFC 2348 allows
inline constexpr std::int32_t TFTP_MAX_BLOCK_SIZE = 65464; // largest block size RFC 2348 allows
inline constexpr const char* TFTP_BLKSIZE_OPTION = "blksize";

// Option name and value pairs, in packet order.
using TIdTFTPOptions = std::vector<std::pair<std::string, std::string>>;

// --- Builders -------------------------------------------------------------------------------

std::string EncodeWord(std::uint16_t value);

// RRQ or WRQ: opcode, file name (as given, byte for byte), 0, mode, 0, then name 0 value 0 for
// every option.
std::string BuildRequestPacket(std::uint16_t opcode, const std::string& fileName,
                               const std::string& mode, const TIdTFTPOptions& options);
std::string BuildDataPacket(std::uint16_t block, std::string_view data);
// The same DATA packet built into packet, whose room is used again.
void FillDataPacket(std::string& packet, std::uint16_t block, std::string_view data);
std::string BuildAckPacket(std::uint16_t block);
std::string BuildErrorPacket(std::uint16_t code, const std::string& message);
std::string BuildOptionAckPacket(const TIdTFTPOptions& options);

// The ERROR packet that reports a failure to the peer: the code of the exception's class and its
// message.
std::string BuildErrorPacketFor(const std::exception& error);

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
