// What one transfer of the soak does, drawn from its seed alone: direction, line, file size,
// block size, an older file in the way, the simulator's faults, and whether the quorvel-cli
// program runs it. The same seed always gives the same plan, so any transfer can be replayed.
#pragma once

#include "sim/SimOptions.h"

#include <cstdint>
#include <optional>
#include <string>

enum class Direction { Get, Put };
enum class Line { Network, Serial };

struct SoakPlan {
    unsigned seed = 0;
    Direction direction = Direction::Get;
    Line line = Line::Network;
    // The shape of the size, for the report ("513 bytes", "past block 65535", ...).
    std::string shape;
    std::uint64_t size = 0;
    int blockSize = 512;    // asked for with --blksize
    int timeoutSeconds = 1; // the client's reply time-out
    unsigned simTimeoutMs = 200;
    unsigned simRetries = 4;
    // A file of that name is there before the transfer (the local one of a get, the device's of
    // a put), with other content of this size.
    std::optional<std::uint64_t> olderSize;
    // A get of a file the device does not have.
    bool missing = false;
    // Run by the quorvel-cli program rather than by the same actions in this process.
    bool viaProgram = false;
    SimFaults faults;

    // One line with everything above, for a violation report.
    std::string Describe() const;
};

// Seeds in a row take every shape of size in turn, each for a get and then a put: any 40 in a
// row have each shape in both directions.
SoakPlan PlanFor(unsigned seed);

std::string DirectionName(Direction direction);
std::string LineName(Line line);
