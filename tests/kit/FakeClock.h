// A clock for tests on which waiting costs no real time: a pause passes at once, and a wait for
// the system (a socket, a serial line) asks the system once without waiting; when nothing is
// there, the whole wait has passed. So a reply time-out of seconds on a silent line takes
// microseconds, and the test can still count the time it stands for.
//
// Instant waits suit only code that waits where nothing is on its way: a peer that answers a
// moment later would count as silent. Against a live peer, SystemWaits::Real keeps the waits for
// the system real and lets only the pauses pass at once; LimitRealWaits then shortens the waits
// in which a peer that answers at once, if at all, stays silent.
#pragma once

#include "support/Clock.h"

#include <algorithm>
#include <atomic>

class FakeClock final : public Clock {
public:
    enum class SystemWaits { Instant, Real };

    explicit FakeClock(SystemWaits waits = SystemWaits::Instant) : waits_(waits) {}

    // With real waits: each lasts at most realLimit, and the rest of it passes at once.
    void LimitRealWaits(Duration realLimit) { realLimitMs_ = realLimit.count(); }

    TimePoint Now() const override {
        const TimePoint base =
            waits_ == SystemWaits::Real ? std::chrono::steady_clock::now() : TimePoint();
        return base + Skipped();
    }
    void Sleep(Duration pause) override { skippedMs_ += pause.count(); }
    bool Await(Duration limit, const SystemWait& wait) override {
        const Duration real = waits_ == SystemWaits::Real
                                  ? std::min(limit, Duration(realLimitMs_.load()))
                                  : Duration::zero();
        if (wait(real)) {
            return true;
        }
        Sleep(limit - real);
        return false;
    }

    // The time that passed on this clock without being waited for in real time.
    Duration Skipped() const { return Duration(skippedMs_.load()); }

private:
    const SystemWaits waits_;
    std::atomic<Duration::rep> realLimitMs_{Duration::max().count()};
    std::atomic<Duration::rep> skippedMs_{0};
};
