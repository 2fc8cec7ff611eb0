// Dotted IPv4 text and addresses, the same on every platform's socket layer.
//
// An address is kept as the socket calls want it: the four bytes in the order they are written
// (network byte order), whatever the processor's own order.
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#include <array>
#include <cstring>

namespace IdSocket {

namespace {

using AddressBytes = std::array<unsigned char, 4>;

// Four decimal numbers 0 to 255 joined by dots, without signs, blanks or leading zeros.
bool ParseDotted(const std::string& text, AddressBytes& bytes) {
    std::size_t at = 0;
    for (std::size_t part = 0; part < bytes.size(); ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.')) {
            return false;
        }
        const std::size_t start = at;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3) {
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        }
        const std::size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) {
            return false;
        }
        bytes[part] = static_cast<unsigned char>(value);
    }
    return at == text.size();
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
