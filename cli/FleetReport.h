// The outcome of every device of a run, as the report file, the JSON lines and --only-failed
// read and write it.
//
// The report is a ";"-separated CSV file as the logger's, one row per device in the list's order
// under the header kReportHeader. A message's line breaks become blanks, so that every row is one
// line (OneLine); a cell that holds a ";" or a double quote is put in double quotes, with each
// double quote inside doubled.
#pragma once

#include "cli/FleetList.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline constexpr const char* kReportHeader = "device;host;port;result;message;bytes;seconds";

enum class FleetResult { Ok, Failed, Canceled, NotStarted };

struct FleetOutcome {
    FleetResult result = FleetResult::NotStarted;
    // The action's one message, on one line.
    std::string message;
    std::int64_t bytes = 0;
    double seconds = 0;
};

// "ok", "failed", "canceled", "not started".
const char* ResultText(FleetResult result);

// The message text as one line: each run of line breaks (CR or LF, an empty line too) becomes
// one blank.
std::string OneLine(const std::string& message);

// The whole report: the header and one row per device, lines ending in CR LF.
std::string ReportText(const std::vector<FleetDevice>& devices,
                       const std::vector<FleetOutcome>& outcomes);

// The device's row as one JSON object, without a line break.
std::string JsonObject(const FleetDevice& device, const FleetOutcome& outcome);

// The rows of an earlier report, by the name in the column "device". A file that cannot be read
// or is no report is a usage error.
std::map<std::string, FleetOutcome> ReadReport(const std::string& path);
