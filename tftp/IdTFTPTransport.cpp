#include "tftp/IdTFTPTransport.h"

void RaiseOversizedPacket(std::size_t length, std::size_t limit) {
    throw EIdTFTPException("Received a packet of " + std::to_string(length) +
                           " bytes, more than the receive limit of " + std::to_string(limit) +
                           " bytes");
}

void TellPeer(TIdTFTPTransport& transport, const std::string& packet) noexcept {
    try {
        transport.SendToPeer(packet);
    } catch (...) {
        // Dropped on purpose, see the declaration.
    }
}
