// The simulated device on the network: a TFTP server for one folder.
//
// Requests arrive at the listening port; every transfer is then answered from a fresh port of its
// own, as real servers do, so several transfers can run side by side. One thread runs them all:
// it waits on every socket at once and on the nearest reply timer.
#pragma once

#include "sim/SimFolder.h"
#include "sim/SimOptions.h"
#include "sim/SimService.h"
#include "sim/SimTransfer.h"
#include "sim/UdpSocket.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class SimServer : public SimService {
public:
    // Binds the listening port; throws std::runtime_error with a clear message when the folder
    // is missing or the port cannot be bound.
    explicit SimServer(SimOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    TIdUDPAddress Address() const { return listener_.Local(); }
    const SimOptions& Options() const { return options_; }

    void Serve() override;
    void Stop() override;

private:
    struct Transfer {
        SimTransfer run;
        UdpSocket socket;
        TIdUDPAddress peer;
        std::optional<UdpSocket> straySocket;
    };

    int MillisecondsToNextDeadline() const;
    void OnRequest(const TIdDatagram& datagram);
    void Refuse(const TIdDatagram& datagram, std::uint16_t code, const std::string& text);
    // A datagram waiting at the transfer's own port or at its stray port.
    void ReceiveFor(Transfer& transfer, bool strayPort);
    void OnTransferPacket(Transfer& transfer, const TIdDatagram& datagram);
    // An answer outside the transfer's exchange; a failure to send it is only logged.
    void SendQuietly(Transfer& transfer, const std::string& packet, const TIdUDPAddress& to);
    void OnTimeouts();
    // Sends one packet of the transfer, from its own port or from its stray port.
    SimTransfer::Send SenderFor(Transfer& transfer);
    void ReapFinished();
    void Log(const std::string& line) const;

    SimOptions options_;
    SimFolder folder_;
    UdpSocket listener_;
    UdpSocket wake_;
    std::atomic<bool> stopRequested_{false};
    std::vector<std::unique_ptr<Transfer>> transfers_;
    unsigned nextId_ = 0;
};

// A server serving on a thread of its own for as long as this object lives.
class SimServerThread {
public:
    explicit SimServerThread(SimOptions options);

    std::uint16_t Port() const { return server_.Address().Port; }
    SimServer& Server() { return server_; }

private:
    SimServer server_;
    ServiceThread thread_{server_};
};
