#include "tests/kit/MemoryPeer.h"

#include "tftp/IdTFTPTransport.h"

#include <algorithm>
#include <memory>

class MemoryPeer::Transport final : public TIdTFTPTransport {
public:
    explicit Transport(MemoryPeer& peer) : Peer(peer) {}

    void SendRequest(const std::string& packet) override { SendToPeer(packet); }
    void SendToPeer(const std::string& packet) override {
        Peer.sent.push_back(packet);
        for (std::string& reply : Peer.answer_(packet)) {
            Peer.replies_.push_back(std::move(reply));
        }
    }
    std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) override {
        if (Peer.duringSlice) {
            Peer.duringSlice();
        }
        Sender.clear();
        if (Peer.replies_.empty()) {
            ++Peer.silentSlices;
            return std::nullopt;
        }
        Received = std::move(Peer.replies_.front());
        Peer.replies_.pop_front();
        if (Received.size() > maxLength) {
            RaiseOversizedPacket(Received.size(), maxLength);
        }
        Sender = "127.0.0.1";
        Peer.answered_ = true;
        return Received;
    }
    bool TrailingBytesFollow() override { return false; }
    bool PeerKnown() const override { return Peer.answered_; }
    const std::string& SenderIP() const override { return Sender; }
    std::int32_t SenderPort() const override { return Sender.empty() ? 0 : 6969; }
    void Close() override {}

private:
    MemoryPeer& Peer;
    std::string Sender;
    std::string Received;
};

void MemoryPeer::Attach(TIdTrivialFTP& client) {
    client.Host = "device";
    client.ReceiveTimeout = 1000;
    client.RequestedBlockSize = 512;
    client.TransportOverride = [this] { return std::make_unique<Transport>(*this); };
}

MemoryPeer BlockDevice(const std::vector<std::string>& blocks) {
    return MemoryPeer([blocks](const std::string& packet) -> std::vector<std::string> {
        const std::uint16_t opcode = PacketOpcode(packet);
        const std::size_t next = opcode == TFTP_RRQ ? 1 : PacketWord(packet) + 1u;
        if (opcode == TFTP_ERROR || next > blocks.size()) {
            return {};
        }
        return {BuildDataPacket(static_cast<std::uint16_t>(next), blocks[next - 1])};
    });
}

std::vector<std::string> InBlocks(const std::string& content) {
    std::vector<std::string> blocks;
    for (std::size_t at = 0; blocks.empty() || blocks.back().size() == 512; at += 512) {
        blocks.push_back(content.substr(std::min(at, content.size()), 512));
    }
    return blocks;
}
