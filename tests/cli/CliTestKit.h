// Runs quorvel-cli's commands in-process with string streams.
#pragma once

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// input is what the user types; terminal says whether stdin counts as a terminal.
inline CliRun RunCliWith(const std::vector<std::string>& args, const std::string& input = "",
                         bool terminal = false, Clock& clock = SystemClock()) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliIo io{in, out, err, terminal, false, &clock};
    const int status = RunCli(args, io);
    return {status, out.str(), err.str()};
}
