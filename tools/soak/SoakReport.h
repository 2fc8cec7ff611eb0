// The soak's tally: transfers counted by outcome, the violations with the seed that replays each,
// the slowest transfer, and the process's memory at the start, after the warm-up and at the end.
#pragma once

#include "tools/soak/SoakPlan.h"
#include "tools/soak/SoakSystem.h"
#include "tools/soak/SoakTransfer.h"

#include <chrono>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class SoakReport {
public:
    explicit SoakReport(std::ostream& out) : out_(out) {}

    void Add(const SoakPlan& plan, const TransferResult& result, bool verbose);
    // A violation found outside a transfer (the memory check).
    void AddViolation(const std::string& text);

    // Prints the counts, the slowest transfer and every violation with its replay.
    void Print(std::chrono::seconds took) const;

    unsigned Transfers() const { return transfers_; }
    std::size_t Violations() const { return violations_.size(); }

private:
    std::ostream& out_;
    std::map<std::string, unsigned> outcomes_;
    std::vector<std::string> violations_;
    unsigned transfers_ = 0;
    std::chrono::milliseconds slowest_{};
    unsigned slowestSeed_ = 0;
};

// "peak 12345 KiB, now 6789 KiB"
std::string MemoryText(const MemoryUse& memory);
