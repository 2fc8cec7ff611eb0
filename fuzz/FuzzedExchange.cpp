#include "fuzz/FuzzedExchange.h"

#include "tftp/IdSerialTransport.h"

#include <optional>

namespace {

constexpr std::int32_t kBlockSizes[] = {512, 8, 1024, 1428, 65464, 1500, 9, 513};
constexpr std::uint32_t kSilentSecond = 1000; // ms
constexpr std::int32_t kComPort = 3;

// A device on the network: one reply a slice, from one address, then silence.
class ScriptedDatagrams final : public TIdTFTPTransport {
public:
    explicit ScriptedDatagrams(const std::vector<std::string>& replies) : Replies(replies) {}

    void SendRequest(const std::string&) override {}
    void SendToPeer(const std::string&) override {}
    std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) override {
        const std::string_view packet =
            Next < Replies.size() ? Replies[Next++] : std::string_view();
        Ip = packet.empty() ? "" : "127.0.0.1";
        Port = packet.empty() ? 0 : 6969;
        if (packet.empty()) {
            return std::nullopt;
        }
        if (packet.size() > maxLength) {
            RaiseOversizedPacket(packet.size(), maxLength);
        }
        Answered = true;
        return packet;
    }
    bool TrailingBytesFollow() override { return false; }
    bool PeerKnown() const override { return Answered; }
    const std::string& SenderIP() const override { return Ip; }
    std::int32_t SenderPort() const override { return Port; }
    void Close() override {}

private:
    const std::vector<std::string>& Replies;
    std::size_t Next = 0;
    bool Answered = false;
    std::string Ip;
    std::int32_t Port = 0;
};

} // namespace

// Passes everything on to the channel of the transfer and records it; cancels after the chosen
// slice and stops an exchange that would never end.
class FuzzedExchange::Recorder final : public TIdTFTPTransport {
public:
    Recorder(FuzzedExchange& owner, std::unique_ptr<TIdTFTPTransport> inner)
        : Owner(owner), Inner(std::move(inner)) {}

    void SendRequest(const std::string& packet) override {
        Owner.Sent(packet);
        Inner->SendRequest(packet);
    }
    void SendToPeer(const std::string& packet) override {
        Owner.Sent(packet);
        Inner->SendToPeer(packet);
    }
    std::optional<std::string_view> ReceiveSlice(std::size_t maxLength) override {
        // Every slice takes a reply, a part of one, or a second of silence; once the replies are
        // used up, a transfer must give up within a few reply waits.
        const auto bound = 4 * (Owner.replies.size() + Owner.shortPauses_) + 64;
        Check(static_cast<std::size_t>(++Owner.slices_) <= bound, "the exchange never ends");
        const std::optional<std::string_view> packet = Inner->ReceiveSlice(maxLength);
        if (Owner.slices_ == static_cast<int>(Owner.cancelAfter_)) {
            Owner.client.CancelRequested = true;
            if (!Owner.lastBlockOut_) {
                return packet; // the cancel ends the transfer: the packet is not taken in
            }
        }
        // After an upload's last block the cancel goes unheard, and the packet is taken in.
        if (packet) {
            Owner.received.emplace_back(*packet);
            Owner.order += 'r';
        } else {
            Owner.order += '-';
        }
        return packet;
    }
    bool TrailingBytesFollow() override { return Inner->TrailingBytesFollow(); }
    bool PeerKnown() const override { return Inner->PeerKnown(); }
    const std::string& SenderIP() const override { return Inner->SenderIP(); }
    std::int32_t SenderPort() const override { return Inner->SenderPort(); }
    void Close() override {
        Owner.closed_ = true;
        Inner->Close();
    }

private:
    FuzzedExchange& Owner;
    std::unique_ptr<TIdTFTPTransport> Inner;
};

FuzzedExchange::FuzzedExchange(InputBytes& input) {
    const std::uint8_t mode = input.Byte();
    serial = (mode & 1) != 0;
    client.ReceiveTimeout = static_cast<std::int32_t>(((mode >> 1) & 3) + 1) * 1000;
    client.TransferMode = (mode & 8) != 0 ? tfNetAscii : tfOctet;
    cancelAfter_ = mode >> 4;
    client.RequestedBlockSize = kBlockSizes[input.Choice(std::size(kBlockSizes))];
    client.SerialGapTimeout = static_cast<std::int32_t>(input.Choice(20) + 1);
    shortPause_ = input.Byte() + 1u;
    replies = SplitParts(input.Rest());
    for (const std::string& reply : replies) {
        for (std::size_t at = 0; (at = reply.find(kShortPauseMark, at)) != std::string::npos;
             at += kShortPauseMark.size()) {
            ++shortPauses_;
        }
    }

    client.Host = serial ? "" : "127.0.0.1";
    client.Port = serial ? kComPort : 69;
    client.TransportOverride = [this] { return OpenChannel(); };
    client.OnWorkBegin = [this](TIdComponent*, TWorkMode, std::int64_t max) {
        ++begins;
        workMax = max;
    };
    client.OnWork = [this](TIdComponent*, TWorkMode, std::int64_t total) { workTotal = total; };
    client.OnWorkEnd = [this](TIdComponent*, TWorkMode) { ++ends; };
    client.OnLastBlockSent = [this] { lastBlockOut_ = true; };
}

void FuzzedExchange::Sent(const std::string& packet) {
    sent.push_back(packet);
    order += 's';
}

std::unique_ptr<TIdTFTPTransport> FuzzedExchange::OpenChannel() {
    if (!serial) {
        return std::make_unique<Recorder>(*this, std::make_unique<ScriptedDatagrams>(replies));
    }
    auto line = std::make_unique<FuzzLine>();
    line_ = line.get();
    link_ = std::make_unique<TPivotobject>(std::move(line));
    LayReplies();
    return std::make_unique<Recorder>(
        *this, std::make_unique<TIdSerialTransport>(*link_, kComPort, client.SerialGapTimeout));
}

void FuzzedExchange::LayReplies() {
    std::uint32_t silence = 0;
    for (const std::string& reply : replies) {
        if (reply.empty()) {
            silence += kSilentSecond;
            continue;
        }
        line_->AwaitWrite();
        line_->Pause(silence);
        silence = 0;
        std::string_view rest = reply;
        for (std::size_t cut; (cut = rest.find(kShortPauseMark)) != std::string_view::npos;) {
            line_->Send(rest.substr(0, cut));
            line_->Pause(shortPause_);
            rest.remove_prefix(cut + kShortPauseMark.size());
        }
        line_->Send(rest);
    }
}

void FuzzedExchange::CheckFrame(std::uint16_t opcode, const std::string& remoteFile) const {
    Check(begins == 1 && ends == 1, "work begins and ends once");
    Check(closed_, "the channel is closed after the transfer");
    Check(!sent.empty(), "the request is sent");
    const TIdTFTPRequest request = DecodeRequest(sent.front());
    Check(request.Opcode == opcode && request.FileName == remoteFile &&
              request.Mode == client.ModeName(),
          "the request names the file and the mode");
    const TIdTFTPOptions options{{"blksize", std::to_string(client.RequestedBlockSize)}};
    Check(request.Options == options, "the request asks for the block size alone");
    if (serial) {
        Check(line_->written == sent, "every packet goes onto the line as it is");
    }
}
