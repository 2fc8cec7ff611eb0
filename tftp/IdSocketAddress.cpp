// Dotted IPv4 text and addresses, the same on every platform's socket layer.
//
// An address is kept as the socket calls want it: the four bytes in the order they are written
// (network byte order), whatever the processor's own order.
#include "support/IntText.h"
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace IdSocket {

namespace {

using AddressBytes = std::array<unsigned char, 4>;

// Four decimal numbers 0 to 255 joined by dots, without signs, blanks or leading zeros.
bool ParseDotted(std::string_view text, AddressBytes& bytes) {
    for (std::size_t part = 0; part < bytes.size(); ++part) {
        // The last number runs to the end: a dot after it makes it no number.
        const std::size_t end = part + 1 < bytes.size() ? text.find('.') : text.size();
        if (end == std::string_view::npos) {
            return false;
        }
        const std::string_view number = text.substr(0, end);
        const std::optional<std::int64_t> value = ParseInteger(number, {}, 0, 255);
        if (!value || (number.size() > 1 && number.front() == '0')) {
            return false;
        }
        bytes[part] = static_cast<unsigned char>(*value);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return true;
}

} // namespace

std::uint32_t ParseIPv4(const std::string& text) {
    AddressBytes bytes{};
    if (!ParseDotted(text, bytes)) {
        throw EIdSocketError("\"" + PrintableText(text, 64) + "\" is not an IPv4 address");
    }
    std::uint32_t address = 0;
    std::memcpy(&address, bytes.data(), sizeof address);
    return address;
}

std::string AddressText(std::uint32_t address) {
    AddressBytes bytes{};
    std::memcpy(bytes.data(), &address, sizeof address);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

} // namespace IdSocket
