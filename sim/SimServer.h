// The simulated device on the network: a TFTP server for one folder, or for a network of
// devices, each with its own request port and folder (sim/SimDevices.h).
//
// Requests arrive at a device's request port; every transfer is then answered from a fresh port
// of its own, as real servers do, so several transfers can run side by side. One thread runs
// them all, for every device: it waits on every socket at once and on the nearest timer.
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

    // The request port of the first device; device K's is K - 1 above.
    TIdUDPAddress Address() const { return devices_.front()->listener.Local(); }
    const SimOptions& Options() const { return options_; }

    void Serve() override;
    void Stop() override;

private:
    struct Device {
        SimOptions options;
        SimFolder folder;
        UdpSocket listener;
        unsigned nextId = 0;
    };
    struct Transfer {
        Device& device;
        SimTransfer run;
        UdpSocket socket;
        TIdUDPAddress peer;
        std::optional<UdpSocket> straySocket;
    };

    int MillisecondsToNextDeadline() const;
    void OnRequest(Device& device, const TIdDatagram& datagram);
    void Refuse(Device& device, const TIdDatagram& datagram, std::uint16_t code,
                const std::string& text);
    // A datagram waiting at the transfer's own port or at its stray port.
    void ReceiveFor(Transfer& transfer, bool strayPort);
    void OnTransferPacket(Transfer& transfer, const TIdDatagram& datagram);
    // An answer outside the transfer's exchange; a failure to send it is only logged.
    void SendQuietly(Transfer& transfer, const std::string& packet, const TIdUDPAddress& to);
    void OnTimeouts();
    // Sends one packet of the transfer, from its own port or from its stray port.
    SimTransfer::Send SenderFor(Transfer& transfer);
    void ReapFinished();

    SimOptions options_;
    std::vector<std::unique_ptr<Device>> devices_;
    UdpSocket wake_;
    std::atomic<bool> stopRequested_{false};
    std::vector<std::unique_ptr<Transfer>> transfers_;
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
