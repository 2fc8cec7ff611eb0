#include "tools/soak/SoakWatchdog.h"

#include <cstdlib>

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the watchdog looks, and how long a cancelled transfer may take to end: the client
// notices a cancel at the end of its current one-second reply slice.
constexpr std::chrono::milliseconds kLook{100};
constexpr std::chrono::seconds kCancelGrace{10};

} // namespace

SoakWatchdog::SoakWatchdog(std::function<void(const std::string&)> lastWords)
    : lastWords_(std::move(lastWords)), thread_([this] { Watch(); }) {}

SoakWatchdog::~SoakWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SoakWatchdog::Arm(const SoakProgress& progress, CancelToken& cancel, Duration stall,
                       Duration whole) {
    std::lock_guard lock(mutex_);
    progress_ = &progress;
    cancel_ = &cancel;
    stall_ = stall;
    deadline_ = SteadyClock::now() + whole;
    hang_.clear();
}

std::string SoakWatchdog::Disarm() {
    std::lock_guard lock(mutex_);
    progress_ = nullptr;
    cancel_ = nullptr;
    return hang_;
}

std::string SoakWatchdog::HangReason() const {
    const auto now = SteadyClock::now();
    const auto idle = std::chrono::duration_cast<Duration>(now - progress_->LastData());
    if (idle > stall_) {
        return "hung: no data moved for " + std::to_string(idle.count()) + " ms (allowed " +
               std::to_string(stall_.count()) + " ms)";
    }
    if (now > deadline_) {
        return "hung: still running past its limit";
    }
    return {};
}

void SoakWatchdog::Watch() {
    std::unique_lock lock(mutex_);
    SteadyClock::time_point cancelledAt{};
    while (!stop_) {
        changed_.wait_for(lock, kLook);
        if (progress_ == nullptr) {
            continue;
        }
        if (hang_.empty()) {
            hang_ = HangReason();
            if (!hang_.empty()) {
                cancel_->Request();
                cancelledAt = SteadyClock::now();
            }
        } else if (SteadyClock::now() - cancelledAt > kCancelGrace) {
            lastWords_(hang_ + ", and did not end when cancelled");
            std::_Exit(3);
        }
    }
}
