#include "sim/ReadSession.h"

#include "sim/PacketText.h"

ReadSession::ReadSession(const TIdTFTPRequest& request, const SimFolder& folder,
                         const SimFaults& faults, unsigned retries)
    : SimSession(faults, retries), request_(request), folder_(folder) {}

Packets ReadSession::Start() {
    if (auto error = SwitchedError(0)) {
        return *error;
    }
    try {
        source_ = folder_.OpenForReading(request_.FileName);
    } catch (const SimFileError& error) {
        return Fail(error.Code(), error.what());
    }
    const Negotiation negotiation = Negotiate(request_, source_.size);
    blockSize_ = negotiation.blockSize;
    if (negotiation.oack) {
        awaitedAck_ = 0;
        return Send(*negotiation.oack);
    }
    return SendNextBlock();
}

Packets ReadSession::OnPacket(std::string_view packet) {
    if (packet.size() < TFTP_HEADER_SIZE || PacketOpcode(packet) != TFTP_ACK) {
        return OnOtherPacket(packet);
    }
    const std::uint16_t block = PacketWord(packet);
    if (block != awaitedAck_) {
        // A late duplicate; answering it would double every later block.
        Note("ignored ACK " + std::to_string(block) + " (waiting for ACK " +
             std::to_string(awaitedAck_) + ")");
        return {};
    }
    if (lastBlockSent_) {
        End("sent " + std::to_string(bytesSent_) + " bytes in " + std::to_string(blocksSent_) +
            " blocks of " + std::to_string(blockSize_));
        return {};
    }
    return SendNextBlock();
}

Packets ReadSession::SendNextBlock() {
    const std::uint64_t index = blocksSent_ + 1;
    if (auto error = SwitchedError(static_cast<unsigned>(index))) {
        return *error;
    }
    std::string data(blockSize_, '\0');
    source_.stream->read(data.data(), static_cast<std::streamsize>(data.size()));
    if (source_.stream->bad()) {
        return Fail(ERR_UNDEFINED, "Read error");
    }
    data.resize(static_cast<std::size_t>(source_.stream->gcount()));
    blocksSent_ = index;
    bytesSent_ += data.size();
    lastBlockSent_ = data.size() < blockSize_;
    awaitedAck_ = WireNumber(index);
    return Send(BuildDataPacket(awaitedAck_, data));
}

std::uint16_t ReadSession::WireNumber(std::uint64_t index) const {
    if (faults_.skipBlock && index >= *faults_.skipBlock) {
        ++index;
    }
    return static_cast<std::uint16_t>(index & 0xFFFF);
}
