// The serial transport of one transfer: TFTP packets written raw to a COM port at 115200 baud,
// 8N1. There is no framing: one burst of bytes followed by a pause is one packet.
//
// Waiting for the pause costs a gap time per packet, and a lock-step transfer pays it for every
// block. So the two packets that say by their length that they are complete, a DATA packet of a
// full block and an ACK, are answered at once; everything else (a short block, an ERROR, an
// OACK, noise) still ends only with the pause.
#pragma once

#include "tftp/IdTFTPTransport.h"

#include <cstdint>
#include <string>

class TPivotobject;

class TIdSerialTransport : public TIdTFTPTransport {
public:
    // Opens COM<comPort>; raises "Unable to open RS232 port COM<n>" when it cannot.
    // gapTimeout: silence in ms that ends a received packet.
    TIdSerialTransport(TPivotobject& link, std::int32_t comPort, std::int32_t gapTimeout);

    void SendRequest(const std::string& packet) override;
    void SendToPeer(const std::string& packet) override;
    std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) override;
    bool TrailingBytesFollow() override;
    bool PeerKnown() const override { return false; }
    const std::string& SenderIP() const override { return NoSender; }
    std::int32_t SenderPort() const override { return 0; }
    void Close() override;

private:
    TPivotobject& Link;
    std::int32_t GapTimeout;
    std::string Received; // the packet last received
    std::string Trailing; // bytes found behind it
    static const std::string NoSender;
};
