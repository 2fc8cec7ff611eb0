// A UDP/IPv4 address and a datagram, as both ends of a transfer see them: the client and the
// device simulator.
#pragma once

#include <cstdint>
#include <string>

struct TIdUDPAddress {
    std::string IP; // dotted IPv4 address
    std::uint16_t Port = 0;

    bool operator==(const TIdUDPAddress&) const = default;
    std::string Text() const { return IP + ":" + std::to_string(Port); }
};

struct TIdDatagram {
    std::string Data;
    TIdUDPAddress From; // the sender
};
