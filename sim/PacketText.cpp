#include "sim/PacketText.h"

#include "tftp/IdTrivialFTPBase.h"

namespace {

std::string JoinOptions(const TIdTFTPOptions& options) {
    std::string text;
    for (const auto& [name, value] : options) {
        text += " " + PrintableText(name) + "=" + PrintableText(value);
    }
    return text;
}

std::string DescribeRequest(std::string_view packet) {
    try {
        const TIdTFTPRequest request = DecodeRequest(packet);
        return std::string(request.Opcode == TFTP_RRQ ? "RRQ" : "WRQ") + " \"" +
               PrintableText(request.FileName) + "\" " + PrintableText(request.Mode) +
               JoinOptions(request.Options);
    } catch (const EIdTFTPException&) {
        return "malformed request (" + std::to_string(packet.size()) + " bytes)";
    }
}

} // namespace

std::string DescribePacket(std::string_view packet) {
    if (packet.size() < TFTP_HEADER_SIZE) {
        return std::to_string(packet.size()) + "-byte packet";
    }
    const std::uint16_t word = PacketWord(packet);
    switch (PacketOpcode(packet)) {
    case TFTP_RRQ:
    case TFTP_WRQ:
        return DescribeRequest(packet);
    case TFTP_DATA:
        return "DATA " + std::to_string(word) + " (" +
               std::to_string(packet.size() - TFTP_HEADER_SIZE) + " bytes)";
    case TFTP_ACK:
        return "ACK " + std::to_string(word);
    case TFTP_ERROR:
        return "ERROR " + std::to_string(word) + " \"" + PrintableText(ErrorText(packet), 60) +
               "\"";
    case TFTP_OACK:
        return "OACK" + JoinOptions(DecodeOptions(packet, 2));
    default:
        return "opcode " + std::to_string(PacketOpcode(packet)) + " (" +
               std::to_string(packet.size()) + " bytes)";
    }
}
