// Hooks for tests of the diagnostic log: a clock that the test controls, and a way back to the
// state before any start-up step.
#pragma once

#include <chrono>
#include <functional>

namespace savelog_testing {

using Clock = std::function<std::chrono::system_clock::time_point()>;

// Every reading of the current time by the log goes through clock; an empty function restores
// the system clock.
void SetClock(Clock clock);

// Log off, folding on, debug level 0, program path from the system again, system clock.
void Reset();

} // namespace savelog_testing
