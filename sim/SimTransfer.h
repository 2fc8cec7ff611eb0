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
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SimTransfer {
public:
    using SteadyClock = std::chrono::steady_clock;
    // Puts one packet on the transport.
    using Send = std::function<void(const Delivery&)>;

    SimTransfer(unsigned id, std::unique_ptr<SimSession> session, const SimOptions& options);

    // When OnTimer is due next: the reply timer, or a packet held back that is to go out.
    SteadyClock::time_point Deadline() const;
    // Nothing more is sent or accepted: the session finished and no packet is held back or
    // still on its way, or the transfer was abandoned.
    bool Done() const {
        return abandoned_ || (session_->Finished() && held_.empty() && onTheWay_.empty());
    }

    // The session's answer to the request, and to a packet from the client. A failure of the
    // session or of the transport abandons the transfer.
    void Start(const Send& send);
    void OnPacket(std::string_view packet, const Send& send);
    // Sends the packets held back whose time has come; when the reply timer has run out, the
    // session's answer to the silence. The timer restarts even when nothing is sent, so that a
    // lingering session ends.
    void OnTimer(SteadyClock::time_point now, const Send& send);
    // Drops the transfer; logs why unless its outcome is already known.
    void Abandon(const std::string& why);

    void Log(const std::string& line) const;

private:
    struct Held {
        SteadyClock::time_point due;
        Delivery delivery;
    };

    // Passes the session's packets through the fault gate to send, logs the notes and the result,
    // and restarts the reply timer when the session handed out packets.
    void Deliver(const Packets& packets, const Send& send);
    void Answer(const std::function<Packets()>& step, const Send& send);
    void Guarded(const std::function<void()>& step);
    // Sends a delivery now, or holds it back as it asks; a packet sent now lets the ones that
    // wait for the next packet follow it.
    void Dispatch(const Delivery& delivery, const Send& send);
    void SendDue(SteadyClock::time_point now, const Send& send);
    // Puts a packet on its way: sent now, or with a latency, once it has passed.
    void Emit(const Delivery& delivery, const Send& send);
    // Removes the held-back packets that which picks, in the order they were held back.
    std::vector<Delivery> TakeHeld(const std::function<bool(const Held&)>& which);

    unsigned id_;
    std::unique_ptr<SimSession> session_;
    const SimOptions& options_;
    FaultGate gate_;
    SteadyClock::time_point deadline_;
    std::deque<Held> held_;
    // Packets sent that the latency still keeps from the client, in the order sent.
    std::deque<Held> onTheWay_;
    bool abandoned_ = false;
};
