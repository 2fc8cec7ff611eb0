// Dotted IPv4 text and addresses, the same on every platform's socket layer.
#include "tftp/IdSocketApi.h"
#include "tftp/IdTrivialFTPBase.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

namespace IdSocket {

std::uint32_t ParseIPv4(const std::string& text) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
        throw EIdSocketError("\"" + PrintableText(text, 64) + "\" is not an IPv4 address");
    }
    return parsed.s_addr;
}

std::string AddressText(std::uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}

} // namespace IdSocket
