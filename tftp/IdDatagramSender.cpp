#include "tftp/IdDatagramSender.h"

#include "tftp/IdTrivialFTPBase.h"

#include <stdexcept>

std::string SendErrorPacket(TIdDatagramSender* endpoint, const std::string& peerIP,
                            std::int32_t peerPort, std::uint16_t code, const std::string& message,
                            bool buildOnly) {
    std::string packet = BuildErrorPacket(code, message);
    if (!buildOnly) {
        if (endpoint == nullptr) {
            throw std::invalid_argument("SendErrorPacket: no endpoint to send the packet with");
        }
        endpoint->SendDatagram(peerIP, peerPort, packet);
    }
    return packet;
}
