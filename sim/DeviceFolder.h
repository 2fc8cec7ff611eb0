// The simulated device's files: the served folder, and the event logger "plog.zel" that a real
// device always has, generated in memory while the folder holds none of its own.
#pragma once

#include "sim/SimFolder.h"
#include "sim/SimOptions.h"

#include <string>

inline constexpr const char* kLoggerFileName = "plog.zel";

SimFolder DeviceFolder(const SimOptions& options);

// The start-up line that tells where "plog.zel" comes from.
std::string DescribeLoggerFile(const SimOptions& options);
