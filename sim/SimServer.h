// The simulated device on the network: a TFTP server for one folder.
//
// Requests arrive at the listening port; every transfer is then answered from a fresh port of its
// own, as real servers do, so several transfers can run side by side. One thread runs them all:
// it waits on every socket at once and on the nearest reply timer.
#pragma once

#include "sim/FaultGate.h"
#include "sim/SimFolder.h"
#include "sim/SimOptions.h"
#include "sim/SimSession.h"
#include "sim/UdpSocket.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class SimServer {
public:
    // Binds the listening port; throws std::runtime_error with a clear message when the folder
    // is missing or the port cannot be bound.
    explicit SimServer(SimOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    UdpAddress Address() const { return listener_.Local(); }
    const SimOptions& Options() const { return options_; }

    // Serves requests until Stop(); transfers still running then are abandoned.
    void Serve();
    // May be called from any thread.
    void Stop();

private:
    struct Transfer {
        unsigned id;
        UdpSocket socket;
        UdpAddress peer;
        std::unique_ptr<SimSession> session;
        FaultGate gate;
        std::chrono::steady_clock::time_point deadline;
        std::optional<UdpSocket> straySocket;
        bool abandoned; // a socket failed; the transfer is dropped
    };

    int MillisecondsToNextDeadline() const;
    void OnRequest(const Datagram& datagram);
    void Refuse(const Datagram& datagram, std::uint16_t code, const std::string& text);
    void OnTransferPacket(Transfer& transfer, const Datagram& datagram);
    void OnStrayPortPacket(Transfer& transfer, const Datagram& datagram);
    void OnTimeouts();
    void Deliver(Transfer& transfer, const Packets& packets);
    void Guarded(Transfer& transfer, const std::function<void()>& step);
    void ReapFinished();
    void Log(const std::string& line) const;
    void Log(const Transfer& transfer, const std::string& line) const;

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
    ~SimServerThread();

    std::uint16_t Port() const { return server_.Address().port; }
    SimServer& Server() { return server_; }

private:
    SimServer server_;
    std::thread thread_;
};
