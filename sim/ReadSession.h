// The device's side of a read request: sends the file block by block, each after the client's
// ACK of the one before, and repeats a block the client does not acknowledge in time.
#pragma once

#include "sim/SimSession.h"

class ReadSession : public SimSession {
public:
    ReadSession(const TIdTFTPRequest& request, const SimFolder& folder, const SimFaults& faults,
                unsigned retries);

    Packets Start() override;
    Packets OnPacket(std::string_view packet) override;

private:
    Packets SendNextBlock();
    // The number a block carries on the wire: counts from 1, wraps from 65535 to 0, and
    // jumps over the number the skip switch names.
    std::uint16_t WireNumber(std::uint64_t index) const;

    TIdTFTPRequest request_;
    const SimFolder& folder_;
    FileSource source_;
    std::size_t blockSize_ = TFTP_DEFAULT_BLOCK_SIZE;
    std::uint64_t blocksSent_ = 0;
    std::uint64_t bytesSent_ = 0;
    std::uint16_t awaitedAck_ = 0;
    bool lastBlockSent_ = false;
};
