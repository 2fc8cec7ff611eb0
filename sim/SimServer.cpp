#include "sim/SimServer.h"

#include "sim/DeviceFolder.h"
#include "sim/PacketText.h"
#include "tftp/IdResourceStrings.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>

namespace {

// Each transfer holds a socket; a flood of requests must not use up the process's handles.
constexpr std::size_t kMaxTransfers = 32;

using Clock = std::chrono::steady_clock;

bool IsErrorPacket(const std::string& packet) {
    return packet.size() >= 2 && PacketOpcode(packet) == TFTP_ERROR;
}

} // namespace

SimServer::SimServer(SimOptions options)
    : options_(WithStdoutLog(std::move(options))), folder_(DeviceFolder(options_)),
      listener_(options_.bindAddress, options_.port), wake_("127.0.0.1", 0) {}

SimServer::~SimServer() = default;

void SimServer::Stop() {
    stopRequested_ = true;
    try {
        wake_.SendTo("x", wake_.Local());
    } catch (const std::exception&) {
        // The loop still sees the flag at its next timer or packet.
    }
}

void SimServer::Serve() {
    while (!stopRequested_) {
        // Which socket belongs to what, fixed before any handler can add transfers or ports.
        std::vector<const UdpSocket*> sockets{&listener_, &wake_};
        std::vector<std::pair<Transfer*, bool>> owners; // transfer, whether its stray port
        for (const auto& transfer : transfers_) {
            sockets.push_back(&transfer->socket);
            owners.emplace_back(transfer.get(), false);
            if (transfer->straySocket) {
                sockets.push_back(&*transfer->straySocket);
                owners.emplace_back(transfer.get(), true);
            }
        }
        const std::vector<bool> ready = WaitReadable(sockets, MillisecondsToNextDeadline());
        if (ready[1]) {
            wake_.Receive(0);
        }
        for (std::size_t i = 0; i < owners.size(); ++i) {
            if (ready[i + 2]) {
                ReceiveFor(*owners[i].first, owners[i].second);
            }
        }
        if (ready[0]) {
            try {
                if (auto datagram = listener_.Receive(0)) {
                    OnRequest(*datagram);
                }
            } catch (const std::exception& error) {
                Log(std::string("request port: ") + error.what());
            }
        }
        OnTimeouts();
        ReapFinished();
    }
    for (const auto& transfer : transfers_) {
        transfer->run.Abandon("the simulator stops");
    }
    transfers_.clear();
}

int SimServer::MillisecondsToNextDeadline() const {
    if (transfers_.empty()) {
        return -1;
    }
    auto next = transfers_.front()->run.Deadline();
    for (const auto& transfer : transfers_) {
        next = std::min(next, transfer->run.Deadline());
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

void SimServer::OnRequest(const Datagram& datagram) {
    const RequestVerdict verdict = CheckRequest(datagram.data);
    if (verdict.errorCode) {
        Refuse(datagram, *verdict.errorCode, verdict.errorText);
        return;
    }
    if (!verdict.request) {
        Log("ignored " + DescribePacket(datagram.data) + " from " + datagram.from.Text() +
            " at the request port");
        return;
    }
    if (transfers_.size() >= kMaxTransfers) {
        Refuse(datagram, ERR_UNDEFINED, "Too many transfers at once");
        return;
    }
    auto transfer = std::unique_ptr<Transfer>(new Transfer{
        SimTransfer(++nextId_,
                    CreateSession(*verdict.request, folder_, options_.faults, options_.retries),
                    options_),
        UdpSocket(options_.bindAddress, 0), datagram.from, std::nullopt});
    Transfer& t = *transfer;
    transfers_.push_back(std::move(transfer));
    t.run.Log(DescribePacket(datagram.data) + " from " + datagram.from.Text() +
              ", answering from " + t.socket.Local().Text());
    t.run.Start(SenderFor(t));
}

void SimServer::Refuse(const Datagram& datagram, std::uint16_t code, const std::string& text) {
    Log("refused " + DescribePacket(datagram.data) + " from " + datagram.from.Text() + ": ERROR " +
        std::to_string(code) + " \"" + text + "\"");
    listener_.SendTo(BuildErrorPacket(code, text), datagram.from);
}

void SimServer::ReceiveFor(Transfer& transfer, bool strayPort) {
    std::optional<Datagram> datagram;
    try {
        datagram = (strayPort ? *transfer.straySocket : transfer.socket).Receive(0);
    } catch (const std::exception& error) {
        transfer.run.Abandon(error.what());
        return;
    }
    if (!datagram) {
        return;
    }
    if (strayPort) {
        transfer.run.Log("stray port got " + DescribePacket(datagram->data) + " from " +
                         datagram->from.Text());
        return;
    }
    OnTransferPacket(transfer, *datagram);
}

void SimServer::OnTransferPacket(Transfer& transfer, const Datagram& datagram) {
    if (transfer.run.Done()) {
        return;
    }
    if (options_.verbose) {
        transfer.run.Log("got " + DescribePacket(datagram.data) + " from " + datagram.from.Text());
    }
    if (!(datagram.from == transfer.peer)) {
        transfer.run.Log("packet from unknown sender " + datagram.from.Text() +
                         (IsErrorPacket(datagram.data) ? " ignored" : ", answered ERROR 5"));
        if (!IsErrorPacket(datagram.data)) {
            SendQuietly(transfer,
                        BuildErrorPacket(ERR_UNKNOWN_TRANSFER_ID, RSTFTPUnknownTransferID),
                        datagram.from);
        }
        return;
    }
    transfer.run.OnPacket(datagram.data, SenderFor(transfer));
}

void SimServer::SendQuietly(Transfer& transfer, const std::string& packet, const UdpAddress& to) {
    try {
        transfer.socket.SendTo(packet, to);
    } catch (const std::exception& error) {
        transfer.run.Log(std::string("could not answer ") + to.Text() + ": " + error.what());
    }
}

void SimServer::OnTimeouts() {
    const auto now = Clock::now();
    for (const auto& transfer : transfers_) {
        transfer->run.OnTimer(now, SenderFor(*transfer));
    }
}

SimTransfer::Send SimServer::SenderFor(Transfer& transfer) {
    return [this, &transfer](const Delivery& delivery) {
        if (delivery.stray && !transfer.straySocket) {
            transfer.straySocket.emplace(options_.bindAddress, 0);
        }
        const UdpSocket& from = delivery.stray ? *transfer.straySocket : transfer.socket;
        if (options_.verbose) {
            transfer.run.Log("sent " + DescribePacket(delivery.packet) + " from " +
                             from.Local().Text());
        }
        from.SendTo(delivery.packet, transfer.peer);
    };
}

void SimServer::ReapFinished() {
    std::erase_if(transfers_, [](const auto& transfer) { return transfer->run.Done(); });
}

void SimServer::Log(const std::string& line) const {
    options_.log(line);
}

SimServerThread::SimServerThread(SimOptions options) : server_(std::move(options)) {}
