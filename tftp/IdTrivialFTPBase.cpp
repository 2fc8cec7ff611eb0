#include "tftp/IdTrivialFTPBase.h"

#include "support/IntText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace {

// Appends text and its terminating zero byte.
void AppendText(std::string& packet, std::string_view text) {
    packet.append(text);
    packet.push_back('\0');
}

void AppendOptions(std::string& packet, const TIdTFTPOptions& options) {
    for (const auto& [name, value] : options) {
        AppendText(packet, name);
        AppendText(packet, value);
    }
}

// Text from offset up to the next zero byte or the end of the packet; offset moves past the
// zero byte. An offset at or beyond the end gives an empty text.
std::string_view NextText(std::string_view packet, std::size_t& offset) {
    if (offset >= packet.size()) {
        offset = packet.size();
        return {};
    }
    const std::size_t end = std::min(packet.find('\0', offset), packet.size());
    const std::string_view text = packet.substr(offset, end - offset);
    offset = std::min(end + 1, packet.size());
    return text;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string EncodeWord(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string BuildRequestPacket(std::uint16_t opcode, const std::string& fileName,
                               const std::string& mode, const TIdTFTPOptions& options) {
    std::string packet = EncodeWord(opcode);
    AppendText(packet, fileName);
    AppendText(packet, mode);
    AppendOptions(packet, options);
    return packet;
}

std::string BuildDataPacket(std::uint16_t block, std::string_view data) {
    std::string packet;
    FillDataPacket(packet, block, data);
    return packet;
}

void FillDataPacket(std::string& packet, std::uint16_t block, std::string_view data) {
    packet.assign(EncodeWord(TFTP_DATA));
    packet.append(EncodeWord(block));
    packet.append(data);
}

std::string BuildAckPacket(std::uint16_t block) {
    return EncodeWord(TFTP_ACK) + EncodeWord(block);
}

std::string BuildErrorPacket(std::uint16_t code, const std::string& message) {
    std::string packet = EncodeWord(TFTP_ERROR) + EncodeWord(code);
    AppendText(packet, message);
    return packet;
}

std::string BuildOptionAckPacket(const TIdTFTPOptions& options) {
    std::string packet = EncodeWord(TFTP_OACK);
    AppendOptions(packet, options);
    return packet;
}

std::string BuildErrorPacketFor(const std::exception& error) {
    return BuildErrorPacket(ErrorCodeOf(error), error.what());
}

std::uint16_t DecodeWord(std::string_view bytes) {
    if (bytes.size() < 2) {
        throw std::out_of_range("DecodeWord: fewer than 2 bytes");
    }
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                      static_cast<unsigned char>(bytes[1]));
}

std::uint16_t PacketOpcode(std::string_view packet) {
    return DecodeWord(packet);
}

std::uint16_t PacketWord(std::string_view packet) {
    if (packet.size() < TFTP_HEADER_SIZE) {
        throw std::out_of_range("PacketWord: packet shorter than its header");
    }
    return DecodeWord(packet.substr(2));
}

std::string_view DataPayload(std::string_view packet) {
    return packet.size() > TFTP_HEADER_SIZE ? packet.substr(TFTP_HEADER_SIZE) : std::string_view();
}

std::string ErrorText(std::string_view packet) {
    std::size_t offset = TFTP_HEADER_SIZE;
    return std::string(NextText(packet, offset));
}

TIdTFTPOptions DecodeOptions(std::string_view packet, std::size_t offset) {
    TIdTFTPOptions options;
    while (offset < packet.size()) {
        const std::string_view name = NextText(packet, offset);
        const std::string_view value = NextText(packet, offset);
        options.emplace_back(name, value);
    }
    return options;
}

TIdTFTPRequest DecodeRequest(std::string_view packet) {
    if (packet.size() < 2 ||
        (PacketOpcode(packet) != TFTP_RRQ && PacketOpcode(packet) != TFTP_WRQ)) {
        throw EIdTFTPIllegalOperation("Not a read or write request");
    }
    const std::size_t nameEnd = packet.find('\0', 2);
    const std::size_t modeEnd =
        nameEnd == std::string_view::npos ? nameEnd : packet.find('\0', nameEnd + 1);
    if (modeEnd == std::string_view::npos) {
        throw EIdTFTPIllegalOperation("Malformed request: file name or mode not terminated");
    }
    TIdTFTPRequest request;
    request.Opcode = PacketOpcode(packet);
    request.FileName = std::string(packet.substr(2, nameEnd - 2));
    request.Mode = std::string(packet.substr(nameEnd + 1, modeEnd - nameEnd - 1));
    request.Options = DecodeOptions(packet, modeEnd + 1);
    return request;
}

[[noreturn]] void RaiseErrorPacket(std::string_view packet) {
    const std::string text = Quoted(ErrorText(packet));
    const std::uint16_t code = PacketWord(packet);
    if (code >= ERR_FILE_NOT_FOUND && code <= ERR_OPTION_NEGOTIATION_FAILED) {
        RaiseTFTPError(code, text);
    }
    throw EIdTFTPException(text + "(code=" + std::to_string(code) + ")");
}

std::optional<std::int32_t> ParseBlockSize(std::string_view text) {
    const std::optional<std::int64_t> value =
        ParseInteger(text, {}, TFTP_MIN_BLOCK_SIZE, TFTP_MAX_BLOCK_SIZE);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

bool BlockPrecedes(std::uint16_t block, std::uint16_t reference) {
    const auto distance = static_cast<std::uint16_t>(reference - block);
    return distance >= 1 && distance < 0x8000;
}

bool SameOptionName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string PrintableText(std::string_view text, std::size_t maxLength) {
    std::string shown;
    for (const char c : text.substr(0, maxLength)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown.append(escaped);
        }
    }
    if (text.size() > maxLength) {
        shown.append("...");
    }
    return shown;
}
