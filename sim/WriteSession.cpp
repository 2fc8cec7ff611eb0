#include "sim/WriteSession.h"

#include "sim/PacketText.h"

WriteSession::WriteSession(const TIdTFTPRequest& request, const SimFolder& folder,
                           const SimFaults& faults, unsigned retries)
    : SimSession(faults, retries), request_(request), folder_(folder) {}

Packets WriteSession::Start() {
    if (auto error = SwitchedError(0)) {
        return *error;
    }
    try {
        file_ = folder_.CreateForWriting(request_.FileName);
    } catch (const SimFileError& error) {
        return Fail(error.Code(), error.what());
    }
    const Negotiation negotiation = Negotiate(request_, 0);
    blockSize_ = negotiation.blockSize;
    return Send(negotiation.oack ? *negotiation.oack : BuildAckPacket(0));
}

Packets WriteSession::OnPacket(std::string_view packet) {
    if (packet.size() < TFTP_HEADER_SIZE || PacketOpcode(packet) != TFTP_DATA) {
        return OnOtherPacket(packet);
    }
    const std::uint16_t block = PacketWord(packet);
    if (block == lastAcked_) {
        // Our ACK was lost or is late: acknowledge the block again, store nothing.
        Note("repeated " + DescribePacket(packet) + ", acknowledged again");
        return {BuildAckPacket(block)};
    }
    if (complete_ || block != static_cast<std::uint16_t>(lastAcked_ + 1)) {
        Note("ignored " + DescribePacket(packet) + " (waiting for DATA " +
             std::to_string(static_cast<std::uint16_t>(lastAcked_ + 1)) + ")");
        return {};
    }
    if (auto error = SwitchedError(static_cast<unsigned>(blocksStored_ + 1))) {
        return *error;
    }
    lastAcked_ = block;
    return Store(DataPayload(packet));
}

Packets WriteSession::Store(std::string_view data) {
    if (data.size() > blockSize_) {
        return Fail(ERR_ILLEGAL_OPERATION, "Illegal TFTP operation: block of " +
                                               std::to_string(data.size()) +
                                               " bytes, agreed were " + std::to_string(blockSize_));
    }
    try {
        file_->Append(data.data(), data.size());
        ++blocksStored_;
        if (data.size() < blockSize_) {
            file_->Commit();
            complete_ = true;
            Report("received " + std::to_string(file_->Size()) + " bytes in " +
                   std::to_string(blocksStored_) + " blocks of " + std::to_string(blockSize_));
            Linger();
        }
    } catch (const SimFileError& error) {
        return Fail(error.Code(), error.what());
    }
    return Send(BuildAckPacket(lastAcked_));
}
