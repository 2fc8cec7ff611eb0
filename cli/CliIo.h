// The streams a command talks through, whether they are terminals, and the clock its waits take
// their time from; main() passes the real ones, tests pass string streams and a clock of theirs.
#pragma once

#include "support/Clock.h"

#include <iosfwd>

struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
    Clock* clock = &SystemClock();
};
