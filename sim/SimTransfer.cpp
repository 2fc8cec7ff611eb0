#include "sim/SimTransfer.h"

SimTransfer::SimTransfer(unsigned id, std::unique_ptr<SimSession> session,
                         const SimOptions& options)
    : id_(id), session_(std::move(session)), options_(options), gate_(options.faults),
      deadline_(SteadyClock::now()) {}

void SimTransfer::Deliver(const Packets& packets, const Send& send) {
    Guarded([&] {
        std::vector<std::string> notes = session_->TakeNotes();
        const std::vector<Delivery> deliveries = gate_.Pass(packets, notes);
        for (const std::string& note : notes) {
            Log(note);
        }
        for (const Delivery& delivery : deliveries) {
            send(delivery);
        }
        if (!packets.empty()) {
            deadline_ = SteadyClock::now() + std::chrono::milliseconds(options_.timeoutMs);
        }
        if (auto result = session_->TakeResult()) {
            Log(*result);
        }
    });
}

void SimTransfer::Start(const Send& send) {
    Answer([&] { return session_->Start(); }, send);
}

void SimTransfer::OnPacket(std::string_view packet, const Send& send) {
    Answer([&] { return session_->OnPacket(packet); }, send);
}

void SimTransfer::OnTimer(SteadyClock::time_point now, const Send& send) {
    if (deadline_ > now || Done()) {
        return;
    }
    deadline_ = now + std::chrono::milliseconds(options_.timeoutMs);
    Answer([&] { return session_->OnTimeout(); }, send);
}

void SimTransfer::Abandon(const std::string& why) {
    if (!abandoned_ && !session_->HasEnded()) {
        Log("abandoned: " + why);
    }
    abandoned_ = true;
}

void SimTransfer::Log(const std::string& line) const {
    options_.log("[#" + std::to_string(id_) + "] " + line);
}

void SimTransfer::Answer(const std::function<Packets()>& step, const Send& send) {
    Packets answer;
    Guarded([&] { answer = step(); });
    Deliver(answer, send);
}

void SimTransfer::Guarded(const std::function<void()>& step) {
    if (abandoned_) {
        return;
    }
    try {
        step();
    } catch (const std::exception& error) {
        Log(std::string("abandoned: ") + error.what());
        abandoned_ = true;
    }
}
