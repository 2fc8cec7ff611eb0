// Many simulated devices in one process (quorvel-sim --devices N), as a technician meets them in
// a radio network: device K (counted from 1) answers on request port port + K - 1, serves the
// folder "device-K" inside the simulator's folder (made when missing), has the faults that
// --device-fault gives it in place of the common ones, serves a logger of its own (seed
// zel-seed + K - 1) and logs each line after "[device K] ".
#pragma once

#include "sim/SimOptions.h"
#include "sim/UdpSocket.h"

#include <cstdint>
#include <string>
#include <vector>

// Device K's options; with one device, options as they are.
SimOptions DeviceOptions(const SimOptions& options, unsigned device);

// The request ports of every device, bound on consecutive port numbers from options.port; for
// port 0 from a free port the system picks. Throws std::runtime_error when they cannot be bound.
std::vector<UdpSocket> BindRequestPorts(const SimOptions& options);

// The start-up lines after "listening on ...": where the devices answer and what they serve.
std::string DescribeDevices(const SimOptions& options, std::uint16_t firstPort);
