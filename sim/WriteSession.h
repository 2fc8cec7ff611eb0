// The device's side of a write request: acknowledges each block as it is stored, answers a
// repeated block with its ACK again, and keeps the upload under a temporary name until the last
// (short) block has arrived.
#pragma once

#include "sim/SimSession.h"

class WriteSession : public SimSession {
public:
    WriteSession(const TIdTFTPRequest& request, const SimFolder& folder, const SimFaults& faults,
                 unsigned retries);

    Packets Start() override;
    Packets OnPacket(std::string_view packet) override;

protected:
    // An unfinished file is dropped: the folder keeps an older file as it was.
    void Release() override { file_.reset(); }

private:
    Packets Store(std::string_view data);

    TIdTFTPRequest request_;
    const SimFolder& folder_;
    std::unique_ptr<IncomingFile> file_;
    std::size_t blockSize_ = TFTP_DEFAULT_BLOCK_SIZE;
    std::uint64_t blocksStored_ = 0;
    std::uint16_t lastAcked_ = 0;
    bool complete_ = false;
};
