// A UDP/IPv4 address and a datagram, as both ends of a transfer see them: the client and the
// device simulator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// A datagram as it was just read, without a copy of its bytes: Data stays valid until the next
// receive into the same room.
struct TIdDatagramView {
    std::string_view Data;
    TIdUDPAddress From; // the sender
};
