// The streams a command talks through, and whether they are terminals; main() passes the real
// ones, tests pass string streams.
#pragma once

#include <iosfwd>

struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
};
