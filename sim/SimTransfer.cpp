#include "sim/SimTransfer.h"

#include <algorithm>

SimTransfer::SimTransfer(unsigned id, std::unique_ptr<SimSession> session,
                         const SimOptions& options)
    : id_(id), session_(std::move(session)), options_(options), gate_(options.faults, id),
      deadline_(SteadyClock::now()) {}

SimTransfer::SteadyClock::time_point SimTransfer::Deadline() const {
    auto next = deadline_;
    for (const Held& held : held_) {
        next = std::min(next, held.due);
    }
    if (!onTheWay_.empty()) {
        next = std::min(next, onTheWay_.front().due);
    }
    return next;
}

void SimTransfer::Deliver(const Packets& packets, const Send& send) {
    Guarded([&] {
        std::vector<std::string> notes = session_->TakeNotes();
        const std::vector<Delivery> deliveries = gate_.Pass(packets, notes);
        for (const std::string& note : notes) {
            Log(note);
        }
        for (const Delivery& delivery : deliveries) {
            Dispatch(delivery, send);
        }
        if (!packets.empty()) {
            deadline_ = SteadyClock::now() + std::chrono::milliseconds(options_.timeoutMs);
        }
        if (auto result = session_->TakeResult()) {
            Log(*result);
        }
    });
}

void SimTransfer::Dispatch(const Delivery& delivery, const Send& send) {
    if (delivery.delayMs > 0) {
        held_.push_back(
            {SteadyClock::now() + std::chrono::milliseconds(delivery.delayMs), delivery});
        return;
    }
    Emit(delivery, send);
    // Those that wait for the next packet go out behind it, in the order they were held back.
    for (const Delivery& held :
         TakeHeld([](const Held& held) { return held.delivery.afterNext; })) {
        Emit(held, send);
    }
}

void SimTransfer::Emit(const Delivery& delivery, const Send& send) {
    if (options_.latencyMs == 0) {
        send(delivery);
        return;
    }
    onTheWay_.push_back(
        {SteadyClock::now() + std::chrono::milliseconds(options_.latencyMs), delivery});
}

void SimTransfer::SendDue(SteadyClock::time_point now, const Send& send) {
    const std::vector<Delivery> due = TakeHeld([now](const Held& held) { return held.due <= now; });
    Guarded([&] {
        for (const Delivery& delivery : due) {
            Emit(delivery, send);
        }
        while (!onTheWay_.empty() && onTheWay_.front().due <= now) {
            const Delivery arrived = std::move(onTheWay_.front().delivery);
            onTheWay_.pop_front();
            send(arrived);
        }
    });
}

std::vector<Delivery> SimTransfer::TakeHeld(const std::function<bool(const Held&)>& which) {
    std::vector<Delivery> taken;
    std::deque<Held> kept;
    for (Held& held : held_) {
        if (which(held)) {
            taken.push_back(std::move(held.delivery));
        } else {
            kept.push_back(std::move(held));
        }
    }
    held_ = std::move(kept);
    return taken;
}

void SimTransfer::Start(const Send& send) {
    if (options_.faults.random) {
        Log("random faults from seed " + std::to_string(options_.faults.random->SeedOf(id_)));
    }
    Answer([&] { return session_->Start(); }, send);
}

void SimTransfer::OnPacket(std::string_view packet, const Send& send) {
    if (session_->Finished()) {
        return; // only packets held back are still to go out
    }
    Answer([&] { return session_->OnPacket(packet); }, send);
}

void SimTransfer::OnTimer(SteadyClock::time_point now, const Send& send) {
    if (!abandoned_) {
        SendDue(now, send);
    }
    if (deadline_ > now || abandoned_ || session_->Finished()) {
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
