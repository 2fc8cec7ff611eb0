// quorvel-sim's command line: the folder, where to listen, timing and the fault switches.
#pragma once

#include "sim/SimOptions.h"

#include <string>
#include <vector>

struct SimCommandLine {
    SimOptions options;
    bool help = false;
};

// Throws UsageError for anything it cannot take.
SimCommandLine ParseSimArguments(const std::vector<std::string>& args);

// The text of --help.
const char* SimUsageText();
