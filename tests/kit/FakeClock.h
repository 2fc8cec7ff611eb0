// A clock for tests on which waiting costs no real time: a pause passes at once, and a wait for
// the system (a socket, a serial line) asks the system once without waiting; when nothing is
// there, the whole wait has passed. So a reply time-out of seconds on a silent line takes
// microseconds, and a test can count the time it would have taken.
//
// Use it only where nothing is on its way while the code waits: a peer that answers a moment
// later would count as silent.
#pragma once

#include "support/Clock.h"

#include <atomic>

class FakeClock final : public Clock {
public:
    TimePoint Now() const override { return TimePoint(Duration(elapsedMs_.load())); }
    void Sleep(Duration pause) override { elapsedMs_ += pause.count(); }
    bool Await(Duration limit, const SystemWait& wait) override {
        if (wait(Duration::zero())) {
            return true;
        }
        Sleep(limit);
        return false;
    }

    // The time that has passed on this clock.
    Duration Elapsed() const { return Duration(elapsedMs_.load()); }

private:
    std::atomic<Duration::rep> elapsedMs_{0};
};
