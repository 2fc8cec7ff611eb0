// One transfer in progress, whatever carries its packets: the session, the fault gate in front of
// it, the reply timer, and the log lines tagged with the transfer's number ("[#3] ...").
//
// The transports (UDP sockets, the serial line) only receive packets, hand them to the session
// and send what comes back through the callback they pass in.
#pragma once

#include "sim/FaultGate.h"
#include "sim/SimOptions.h"
#include "sim/SimSession.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class SimTransfer {
public:
    using SteadyClock = std::chrono::steady_clock;
    // Puts one packet on the transport.
    using Send = std::function<void(const Delivery&)>;

    SimTransfer(unsigned id, std::unique_ptr<SimSession> session, const SimOptions& options);

    SteadyClock::time_point Deadline() const { return deadline_; }
    // Nothing more is sent or accepted: the session finished or the transfer was abandoned.
    bool Done() const { return abandoned_ || session_->Finished(); }

    // The session's answer to the request, and to a packet from the client. A failure of the
    // session or of the transport abandons the transfer.
    void Start(const Send& send);
    void OnPacket(std::string_view packet, const Send& send);
    // When the reply timer has run out: the session's answer to the silence. The timer restarts
    // even when nothing is sent, so that a lingering session ends.
    void OnTimer(SteadyClock::time_point now, const Send& send);
    // Drops the transfer; logs why unless its outcome is already known.
    void Abandon(const std::string& why);

    void Log(const std::string& line) const;

private:
    // Passes the session's packets through the fault gate to send, logs the notes and the result,
    // and restarts the reply timer when the session handed out packets.
    void Deliver(const Packets& packets, const Send& send);
    void Answer(const std::function<Packets()>& step, const Send& send);
    void Guarded(const std::function<void()>& step);

    unsigned id_;
    std::unique_ptr<SimSession> session_;
    const SimOptions& options_;
    FaultGate gate_;
    SteadyClock::time_point deadline_;
    bool abandoned_ = false;
};
