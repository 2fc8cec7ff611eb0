#include "sim/SimServer.h"

#include "sim/DeviceFolder.h"
#include "sim/PacketText.h"
#include "sim/SimDevices.h"
#include "tftp/IdResourceStrings.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>

namespace {

// Each transfer holds a socket; a flood of requests must not use up the process's handles.
constexpr std::size_t kMaxTransfers = 32; // for each device

using SteadyClock = std::chrono::steady_clock;

bool IsErrorPacket(const std::string& packet) {
    return packet.size() >= 2 && PacketOpcode(packet) == TFTP_ERROR;
}

} // namespace

SimServer::SimServer(SimOptions options)
    : options_(WithStdoutLog(std::move(options))), wake_("127.0.0.1", 0) {
    std::vector<UdpSocket> listeners = BindRequestPorts(options_);
    for (unsigned k = 1; k <= listeners.size(); ++k) {
        SimOptions own = DeviceOptions(options_, k);
        SimFolder folder = DeviceFolder(own);
        devices_.push_back(std::unique_ptr<Device>(
            new Device{std::move(own), std::move(folder), std::move(listeners[k - 1])}));
    }
}

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
        std::vector<const UdpSocket*> sockets{&wake_};
        for (const auto& device : devices_) {
            sockets.push_back(&device->listener);
        }
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
        if (ready[0]) {
            wake_.Receive(0);
        }
        const std::size_t firstTransfer = 1 + devices_.size();
        for (std::size_t i = 0; i < owners.size(); ++i) {
            if (ready[firstTransfer + i]) {
                ReceiveFor(*owners[i].first, owners[i].second);
            }
        }
        for (std::size_t k = 0; k < devices_.size(); ++k) {
            if (!ready[1 + k]) {
                continue;
            }
            Device& device = *devices_[k];
            try {
                if (auto datagram = device.listener.Receive(0)) {
                    OnRequest(device, *datagram);
                }
            } catch (const std::exception& error) {
                device.options.log(std::string("request port: ") + error.what());
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
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(next - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

void SimServer::OnRequest(Device& device, const TIdDatagram& datagram) {
    const RequestVerdict verdict = CheckRequest(datagram.Data);
    if (verdict.errorCode) {
        Refuse(device, datagram, *verdict.errorCode, verdict.errorText);
        return;
    }
    if (!verdict.request) {
        device.options.log("ignored " + DescribePacket(datagram.Data) + " from " +
                           datagram.From.Text() + " at the request port");
        return;
    }
    const auto own = [&device](const auto& transfer) { return &transfer->device == &device; };
    if (static_cast<std::size_t>(std::count_if(transfers_.begin(), transfers_.end(), own)) >=
        kMaxTransfers) {
        Refuse(device, datagram, ERR_UNDEFINED, "Too many transfers at once");
        return;
    }
    const SimOptions& options = device.options;
    auto transfer = std::unique_ptr<Transfer>(new Transfer{
        device,
        SimTransfer(++device.nextId,
                    CreateSession(*verdict.request, device.folder, options.faults, options.retries),
                    options),
        UdpSocket(options.bindAddress, 0), datagram.From, std::nullopt});
    Transfer& t = *transfer;
    transfers_.push_back(std::move(transfer));
    t.run.Log(DescribePacket(datagram.Data) + " from " + datagram.From.Text() +
              ", answering from " + t.socket.Local().Text());
    t.run.Start(SenderFor(t));
}

void SimServer::Refuse(Device& device, const TIdDatagram& datagram, std::uint16_t code,
                       const std::string& text) {
    device.options.log("refused " + DescribePacket(datagram.Data) + " from " +
                       datagram.From.Text() + ": ERROR " + std::to_string(code) + " \"" + text +
                       "\"");
    device.listener.SendTo(BuildErrorPacket(code, text), datagram.From);
}

void SimServer::ReceiveFor(Transfer& transfer, bool strayPort) {
    std::optional<TIdDatagram> datagram;
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
        transfer.run.Log("stray port got " + DescribePacket(datagram->Data) + " from " +
                         datagram->From.Text());
        return;
    }
    OnTransferPacket(transfer, *datagram);
}

void SimServer::OnTransferPacket(Transfer& transfer, const TIdDatagram& datagram) {
    if (transfer.run.Done()) {
        return;
    }
    if (options_.verbose) {
        transfer.run.Log("got " + DescribePacket(datagram.Data) + " from " + datagram.From.Text());
    }
    if (!(datagram.From == transfer.peer)) {
        transfer.run.Log("packet from unknown sender " + datagram.From.Text() +
                         (IsErrorPacket(datagram.Data) ? " ignored" : ", answered ERROR 5"));
        if (!IsErrorPacket(datagram.Data)) {
            SendQuietly(transfer,
                        BuildErrorPacket(ERR_UNKNOWN_TRANSFER_ID, RSTFTPUnknownTransferID),
                        datagram.From);
        }
        return;
    }
    transfer.run.OnPacket(datagram.Data, SenderFor(transfer));
}

void SimServer::SendQuietly(Transfer& transfer, const std::string& packet,
                            const TIdUDPAddress& to) {
    try {
        transfer.socket.SendTo(packet, to);
    } catch (const std::exception& error) {
        transfer.run.Log(std::string("could not answer ") + to.Text() + ": " + error.what());
    }
}

void SimServer::OnTimeouts() {
    const auto now = SteadyClock::now();
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

SimServerThread::SimServerThread(SimOptions options) : server_(std::move(options)) {}
