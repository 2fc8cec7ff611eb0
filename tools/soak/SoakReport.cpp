#include "tools/soak/SoakReport.h"

#include <ostream>

namespace {

// The simulator's log lines shown with a violation, the last ones.
constexpr std::size_t kLogLines = 40;

std::string Replay(unsigned seed) {
    return "quorvel-soak --seed " + std::to_string(seed) + " --count 1";
}

} // namespace

std::string MemoryText(const MemoryUse& memory) {
    return "peak " + std::to_string(memory.peakKiB) + " KiB, now " +
           std::to_string(memory.currentKiB) + " KiB";
}

void SoakReport::Add(const SoakPlan& plan, const TransferResult& result, bool verbose) {
    ++transfers_;
    const std::string outcome = DirectionName(plan.direction) + " " + LineName(plan.line) +
                                (plan.viaProgram ? " by quorvel-cli" : "") + ": " +
                                (result.done ? "done" : "failed: " + FailureKind(result.message));
    ++outcomes_[outcome];
    if (result.took > slowest_) {
        slowest_ = result.took;
        slowestSeed_ = plan.seed;
    }
    if (verbose) {
        out_ << "seed " << plan.seed << " (" << result.took.count() << " ms) " << outcome << "\n  "
             << plan.Describe() << "\n";
    }
    for (const std::string& violation : result.violations) {
        const std::string line = "seed " + std::to_string(plan.seed) + ": " + violation;
        violations_.push_back(line + "\n    " + plan.Describe() +
                              "\n    replay: " + Replay(plan.seed));
        out_ << "VIOLATION " << line << "\n  " << plan.Describe() << "\n  message: \""
             << result.message << "\"\n";
    }
    const auto& log = result.simulatorLog;
    for (std::size_t i = log.size() > kLogLines ? log.size() - kLogLines : 0; i < log.size(); ++i) {
        out_ << "  sim: " << log[i] << "\n";
    }
    out_ << std::flush;
}

void SoakReport::AddViolation(const std::string& text) {
    violations_.push_back(text);
    out_ << "VIOLATION " << text << "\n" << std::flush;
}

void SoakReport::Print(std::chrono::seconds took) const {
    out_ << "\n" << transfers_ << " transfers in " << took.count() << " s; outcomes:\n";
    for (const auto& [outcome, count] : outcomes_) {
        out_ << "  " << count << "\t" << outcome << "\n";
    }
    if (transfers_ > 0) {
        out_ << "slowest: seed " << slowestSeed_ << ", " << slowest_.count() << " ms\n";
    }
    out_ << violations_.size() << " invariant violations\n";
    for (const std::string& violation : violations_) {
        out_ << "  " << violation << "\n";
    }
    out_ << std::flush;
}
