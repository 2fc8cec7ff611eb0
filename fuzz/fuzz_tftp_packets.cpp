// libFuzzer target over the TFTP packet decoders: the header words, DATA payloads, ERROR texts,
// option lists of OACKs and requests, block-size values and block-number order. The input is one
// packet as it came off the network or the line.
//
// Besides "no crash, no sanitizer report": an ERROR packet raises the class of its code with the
// quoted text; whatever a decoder accepts, built again, decodes to the same; a block size is
// accepted only as a decimal number from 8 to 65464; texts shown to the user are printable.
#include "fuzz/FuzzInput.h"
#include "tftp/IdTrivialFTPBase.h"

#include <charconv>
#include <typeinfo>

namespace {

void CheckErrorPacket(const std::string& packet) {
    const std::uint16_t code = PacketWord(packet);
    const std::string text = ErrorText(packet);
    Check(text.find('\0') == std::string::npos && text.size() + 4 <= packet.size(),
          "the error text ends at the first zero byte or the end of the packet");
    std::string message;
    try {
        RaiseErrorPacket(packet);
    } catch (const EIdTFTPException& error) {
        const bool named = code >= ERR_FILE_NOT_FOUND && code <= ERR_OPTION_NEGOTIATION_FAILED;
        Check(error.ErrorCode() == (named ? code : ERR_UNDEFINED),
              "an ERROR packet raises the class of its code");
        Check(named || typeid(error) == typeid(EIdTFTPException), "other codes raise the base");
        message = error.what();
        const std::string quoted = "\"" + text + "\"";
        Check(message == (named ? quoted : quoted + "(code=" + std::to_string(code) + ")"),
              "the message is the quoted text, with the code where no class names it");
        // The same failure told to a device and read back is the same failure.
        const std::string again = BuildErrorPacketFor(error);
        Check(PacketWord(again) == error.ErrorCode() && ErrorText(again) == message,
              "a failure becomes the ERROR packet of its code and message");
        return;
    }
    Check(false, "an ERROR packet always raises");
}

void CheckOptions(const std::string& packet) {
    const TIdTFTPOptions options = DecodeOptions(packet, 2);
    for (const auto& [name, value] : options) {
        Check(name.find('\0') == std::string::npos && value.find('\0') == std::string::npos,
              "option texts end at zero bytes");
    }
    Check(DecodeOptions(BuildOptionAckPacket(options), 2) == options,
          "options built again decode to the same");
}

void CheckRequest(const std::string& packet) {
    try {
        const TIdTFTPRequest request = DecodeRequest(packet);
        const std::string built =
            BuildRequestPacket(request.Opcode, request.FileName, request.Mode, request.Options);
        const TIdTFTPRequest again = DecodeRequest(built);
        Check(again.Opcode == request.Opcode && again.FileName == request.FileName &&
                  again.Mode == request.Mode && again.Options == request.Options,
              "a request built again decodes to the same");
    } catch (const EIdTFTPIllegalOperation&) {
        // Not a request, or one without the zero bytes that end its name and mode.
    }
}

void CheckBlockSize(std::string_view text) {
    const std::optional<std::int32_t> size = ParseBlockSize(text);
    std::int64_t value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool decimal = !text.empty() && text.front() != '-' && error == std::errc() &&
                         end == text.data() + text.size();
    const bool allowed = decimal && value >= TFTP_MIN_BLOCK_SIZE && value <= TFTP_MAX_BLOCK_SIZE;
    Check(allowed ? size == value : !size.has_value(),
          "a block size is a decimal number from 8 to 65464, nothing else");
}

void CheckPrintable(std::string_view text) {
    const std::string shown = PrintableText(text, 32);
    Check(shown.size() <= 4 * 32 + 3, "a shown text is cut");
    for (const char c : shown) {
        Check(c >= 0x20 && c < 0x7F, "a shown text is printable");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string packet(reinterpret_cast<const char*>(data), size);
    CheckRequest(packet);
    CheckPrintable(packet);
    CheckBlockSize(packet);
    if (size < TFTP_HEADER_SIZE) {
        return 0;
    }
    Check(DataPayload(packet).size() == size - TFTP_HEADER_SIZE, "the data follows the header");
    CheckErrorPacket(packet);
    CheckOptions(packet);
    const std::uint16_t a = PacketOpcode(packet);
    const std::uint16_t b = PacketWord(packet);
    Check(!BlockPrecedes(a, a) && !(BlockPrecedes(a, b) && BlockPrecedes(b, a)),
          "of two block numbers at most one comes first");
    Check(SameOptionName(packet.substr(0, 2), packet.substr(2, 2)) ==
              SameOptionName(packet.substr(2, 2), packet.substr(0, 2)),
          "option names match both ways");
    return 0;
}
