// Anything that can send one datagram to a host and port: the client's datagram endpoint, or a
// server's socket; and the ERROR packet sent through one.
#pragma once

#include <cstdint>
#include <string>

class TIdDatagramSender {
public:
    virtual ~TIdDatagramSender() = default;
    virtual void SendDatagram(const std::string& host, std::int32_t port,
                              const std::string& bytes) = 0;
};

// Builds the ERROR packet and, unless buildOnly is set, sends it as one datagram to
// peerIP:peerPort through endpoint (which may be null when buildOnly is set). Returns the packet,
// so that a caller on another transport can send it itself.
std::string SendErrorPacket(TIdDatagramSender* endpoint, const std::string& peerIP,
                            std::int32_t peerPort, std::uint16_t code, const std::string& message,
                            bool buildOnly);
