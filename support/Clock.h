// The time the program's waits take: a pause, or a wait for something the system reports (a
// datagram on a socket, a byte on a serial line).
//
// Everything that waits asks a clock, so that one object decides how time passes. The program
// runs on the system's clock. A test may hand in a clock of its own that lets time pass at once
// where nothing can arrive, so that a reply wait of seconds on a silent line costs no real time.
#pragma once

#include <chrono>
#include <functional>

class Clock {
public:
    using Duration = std::chrono::milliseconds;
    using TimePoint = std::chrono::steady_clock::time_point;
    // A wait that the system does: waits up to the given time and tells whether what it waits
    // for has come (a poll on a socket, a read on a serial port).
    using SystemWait = std::function<bool(Duration)>;

    virtual ~Clock() = default;

    virtual TimePoint Now() const = 0;
    virtual void Sleep(Duration pause) = 0;
    // Waits up to limit for what wait waits for; true when it came.
    virtual bool Await(Duration limit, const SystemWait& wait) = 0;

    // Whole milliseconds from now until deadline, rounded up so that a wait never ends early;
    // 0 once it has passed.
    Duration Until(TimePoint deadline) const;
};

// The system's steady clock: every wait takes the real time it says.
Clock& SystemClock();
