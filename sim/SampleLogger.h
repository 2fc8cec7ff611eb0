// A realistic event logger for the device simulator and the tests: a few hundred synthetic
// events written into the ring until it has wrapped, served as "plog.zel" in several blocks
// with the register groups in a shuffled order. Everything is fixed by the seed.
#pragma once

#include "logger/LoggerImage.h"
#include "sim/LoggerWriter.h"

#include <string>
#include <vector>

// Between 300 and 699 events, the first of them in a slot from 300 to 499, so the ring always
// wraps past slot 499; with 500 or more events every slot is in use.
LoggerImage SampleLoggerImage(unsigned seed);

// Groups that deliver every register of the image, in chunks of varying size and shuffled
// order, mixed with groups a reader has to cope with: empty groups, groups of registers outside
// the logger's range, groups that straddle its edges, and a stale copy of some registers that a
// later group overwrites with the image's values.
std::vector<RegisterGroup> SampleLoggerGroups(const LoggerImage& image, unsigned seed);

// The file bytes of SampleLoggerGroups(SampleLoggerImage(seed), seed).
std::string MakeSamplePlogZel(unsigned seed);
