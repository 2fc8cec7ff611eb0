// A run over many devices: their actions on a pool of worker threads, each device with a host of
// its own, and the run's console and Ctrl+C on the calling thread.
//
// The workers share nothing but the outcomes, under one lock (and the diagnostic log, which has
// its own): every device has its own client and socket or serial port, its own files and its own
// copy of the settings. Ctrl+C (a hang-up, a termination request, a console closed) cancels every
// running action as one device's cancel does (an upload past its last block, such as a firmware
// image whose companion must follow, runs to its end), and no device is started after it: those
// stay "not started".
#pragma once

#include "cli/FleetDeviceHost.h"
#include "cli/FleetDisplay.h"
#include "cli/FleetList.h"
#include "cli/FleetReport.h"
#include "cli/TransferSettings.h"

#include <functional>
#include <string>
#include <vector>

// What the run does for one device, through the device's host; true when the action did what it
// was asked.
using DeviceAction = std::function<bool(const FleetDevice& device, FleetDeviceHost& host)>;

struct FleetPlan {
    std::vector<FleetDevice> devices;
    // One per device: filled in for the devices served; the others keep theirs (a row carried
    // over from an earlier report).
    std::vector<FleetOutcome> outcomes;
    std::vector<bool> serve;
    // Everything but the device: reply time-out, block size, gap, --yes.
    TransferSettings connection;
    // Where the logger tables and the COM table are read.
    std::string settingsFile;
    unsigned jobs = 8;
};

// The connection of connection's kind to device: its host and port, or its serial line.
TransferSettings ConnectionTo(const TransferSettings& connection, const FleetDevice& device);

// Serves the devices of plan that are to be served, plan.jobs at a time, in the list's order,
// and fills in their outcomes; returns once every action has ended.
void ServeDevices(FleetPlan& plan, const DeviceAction& action, FleetDisplay& display, Clock& clock);
