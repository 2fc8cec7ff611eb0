// get, put, firmware and logger for many devices at once: the devices of --hosts FILE or of
// --com 3,5,7, each served by the same action as the command for one device, --jobs at a time,
// with a report of every device's outcome.
#pragma once

#include "cli/CliIo.h"
#include "support/ArgumentScan.h"

#include <string>
#include <vector>

enum class FleetCommand { Get, Put, Firmware, Logger };

// True when the command line asks for a run over many devices: --hosts, a list for --com, or
// one of --jobs, --report, --only-failed and --json.
bool IsFleetRun(const ParsedArgs& args);

// Runs the command for every device and returns the exit status: 0 when every device is "ok",
// 1 when any failed, was canceled or was not started. Usage mistakes leave as UsageError, before
// anything is sent.
int RunFleet(FleetCommand command, const std::vector<std::string>& arguments,
             const ParsedArgs& args, CliIo& io);
