// What a run over many devices shows on the console: a line for each device as it ends (or, with
// --json, one JSON object on stdout), notes on stderr, and on a terminal one progress line for
// the whole run.
#pragma once

#include "cli/CliIo.h"
#include "cli/FleetReport.h"
#include "cli/ProgressLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct FleetTally {
    std::size_t ended = 0;
    std::size_t failed = 0; // failed or canceled
    std::size_t running = 0;
    std::int64_t bytes = 0;
};

class FleetDisplay {
public:
    // devices: how many the run serves. progress: a progress line is wanted (stderr must still be
    // a terminal).
    FleetDisplay(CliIo& io, std::size_t devices, bool progress, bool json);

    // "NAME: ok" on stdout, "NAME: failed: MESSAGE" (canceled, not started) on stderr; or the
    // device's JSON object on stdout.
    void Ended(const FleetDevice& device, const FleetOutcome& outcome);
    // A line on stderr.
    void Note(const std::string& text);
    // A line of information: on stdout, or with --json (where stdout holds JSON only) on stderr.
    void Info(const std::string& text);
    void Progress(const FleetTally& tally);
    // Ends the progress line.
    void Finish() { progress_.Finish(); }

private:
    void Line(std::ostream& out, const std::string& text);

    CliIo& io_;
    std::size_t devices_;
    bool json_;
    ProgressLine progress_;
};
