#include "sim/SimServer.h"

#include "sim/PacketText.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <iostream>

namespace {

// Each transfer holds a socket; a flood of requests must not use up the process's handles.
constexpr std::size_t kMaxTransfers = 32;

using Clock = std::chrono::steady_clock;

bool IsErrorPacket(const std::string& packet) {
    return packet.size() >= 2 && PacketOpcode(packet) == TFTP_ERROR;
}

} // namespace

SimServer::SimServer(SimOptions options)
    : options_(std::move(options)), folder_(options_.folder),
      listener_(options_.bindAddress, options_.port), wake_("127.0.0.1", 0) {
    if (!options_.log) {
        options_.log = [](const std::string& line) { std::cout << line << std::endl; };
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
                Transfer& t = *owners[i].first;
                const bool strayPort = owners[i].second;
                Guarded(t, [&] {
                    const UdpSocket& socket = strayPort ? *t.straySocket : t.socket;
                    if (auto datagram = socket.Receive(0)) {
                        strayPort ? OnStrayPortPacket(t, *datagram)
                                  : OnTransferPacket(t, *datagram);
                    }
                });
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
        if (!transfer->abandoned && !transfer->session->HasEnded()) {
            Log(*transfer, "abandoned: the simulator stops");
        }
    }
    transfers_.clear();
}

int SimServer::MillisecondsToNextDeadline() const {
    if (transfers_.empty()) {
        return -1;
    }
    auto next = transfers_.front()->deadline;
    for (const auto& transfer : transfers_) {
        next = std::min(next, transfer->deadline);
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
    auto transfer = std::unique_ptr<Transfer>(
        new Transfer{++nextId_, UdpSocket(options_.bindAddress, 0), datagram.from,
                     CreateSession(*verdict.request, folder_, options_.faults, options_.retries),
                     FaultGate(options_.faults), Clock::now(), std::nullopt, false});
    Transfer& t = *transfer;
    transfers_.push_back(std::move(transfer));
    Log(t, DescribePacket(datagram.data) + " from " + datagram.from.Text() + ", answering from " +
               t.socket.Local().Text());
    Guarded(t, [&] { Deliver(t, t.session->Start()); });
}

void SimServer::Refuse(const Datagram& datagram, std::uint16_t code, const std::string& text) {
    Log("refused " + DescribePacket(datagram.data) + " from " + datagram.from.Text() + ": ERROR " +
        std::to_string(code) + " \"" + text + "\"");
    listener_.SendTo(BuildErrorPacket(code, text), datagram.from);
}

void SimServer::OnTransferPacket(Transfer& transfer, const Datagram& datagram) {
    if (transfer.abandoned) {
        return;
    }
    if (options_.verbose) {
        Log(transfer, "got " + DescribePacket(datagram.data) + " from " + datagram.from.Text());
    }
    if (!(datagram.from == transfer.peer)) {
        Log(transfer, "packet from unknown sender " + datagram.from.Text() +
                          (IsErrorPacket(datagram.data) ? " ignored" : ", answered ERROR 5"));
        if (!IsErrorPacket(datagram.data)) {
            transfer.socket.SendTo(
                BuildErrorPacket(ERR_UNKNOWN_TRANSFER_ID, RSTFTPUnknownTransferID), datagram.from);
        }
        return;
    }
    Deliver(transfer, transfer.session->OnPacket(datagram.data));
}

void SimServer::OnStrayPortPacket(Transfer& transfer, const Datagram& datagram) {
    Log(transfer,
        "stray port got " + DescribePacket(datagram.data) + " from " + datagram.from.Text());
}

void SimServer::OnTimeouts() {
    const auto now = Clock::now();
    for (const auto& transfer : transfers_) {
        Transfer& t = *transfer;
        if (t.deadline <= now && !t.abandoned && !t.session->Finished()) {
            // Restart the timer even when nothing is sent, so a lingering session ends.
            t.deadline = now + std::chrono::milliseconds(options_.timeoutMs);
            Guarded(t, [&] { Deliver(t, t.session->OnTimeout()); });
        }
    }
}

void SimServer::Deliver(Transfer& transfer, const Packets& packets) {
    std::vector<std::string> notes = transfer.session->TakeNotes();
    const std::vector<Delivery> deliveries = transfer.gate.Pass(packets, notes);
    for (const std::string& note : notes) {
        Log(transfer, note);
    }
    for (const Delivery& delivery : deliveries) {
        if (delivery.stray && !transfer.straySocket) {
            transfer.straySocket.emplace(options_.bindAddress, 0);
        }
        const UdpSocket& from = delivery.stray ? *transfer.straySocket : transfer.socket;
        if (options_.verbose) {
            Log(transfer,
                "sent " + DescribePacket(delivery.packet) + " from " + from.Local().Text());
        }
        from.SendTo(delivery.packet, transfer.peer);
    }
    if (!packets.empty()) {
        transfer.deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
    }
    if (auto result = transfer.session->TakeResult()) {
        Log(transfer, *result);
    }
}

void SimServer::Guarded(Transfer& transfer, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {
        Log(transfer, std::string("abandoned: ") + error.what());
        transfer.abandoned = true;
    }
}

void SimServer::ReapFinished() {
    std::erase_if(transfers_, [](const auto& transfer) {
        return transfer->abandoned || transfer->session->Finished();
    });
}

void SimServer::Log(const std::string& line) const {
    options_.log(line);
}

void SimServer::Log(const Transfer& transfer, const std::string& line) const {
    options_.log("[#" + std::to_string(transfer.id) + "] " + line);
}

SimServerThread::SimServerThread(SimOptions options)
    : server_(std::move(options)), thread_([this] { server_.Serve(); }) {}

SimServerThread::~SimServerThread() {
    server_.Stop();
    thread_.join();
}
