#include "support/Clock.h"

#include <thread>

namespace {

class SystemTime final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void Sleep(Duration pause) override { std::this_thread::sleep_for(pause); }
    bool Await(Duration limit, const SystemWait& wait) override { return wait(limit); }
};

} // namespace

Clock::Duration Clock::Until(TimePoint deadline) const {
    const auto left = std::chrono::ceil<Duration>(deadline - Now());
    return left.count() > 0 ? left : Duration::zero();
}

Clock& SystemClock() {
    static SystemTime clock;
    return clock;
}
