// quorvel-soak: transfers against the simulator under seeded random faults, with the invariants
// checked after each one. See the README, "Fault soak".
#include "support/ArgumentScan.h"
#include "support/PathText.h"
#include "tools/soak/SoakPlan.h"
#include "tools/soak/SoakReport.h"
#include "tools/soak/SoakSystem.h"
#include "tools/soak/SoakTransfer.h"
#include "tools/soak/SoakWatchdog.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <random>

namespace fs = std::filesystem;

namespace {

// Memory may grow by this much from half-way to the end before the soak calls it a leak. The
// first half is the warm-up: the allocator keeps what the largest blocks and each thread's heap
// took (some 15 MiB), and keeps reusing it.
constexpr std::uint64_t kMemoryGrowthKiB = 16 * 1024;

struct SoakOptions {
    unsigned seed = 1;
    unsigned count = 1000;
    fs::path program;
    bool verbose = false;
};

const char* kUsage = R"(Usage: quorvel-soak [--seed N] [--count N] [--cli PATH] [--verbose]

Runs COUNT transfers (default 1000) against the simulator, get and put, on the loopback network
and on a pseudo-terminal, with faults drawn from seeds N, N+1, ... (default 1): random loss,
duplication, reordering, delay, noise and stray packets, and now and then one of the simulator's
fault switches. After each transfer it checks that a get is byte-exact or failed with a message
and left no file (and an older one unchanged), that a put is byte-exact on the device or failed
with a message (the device then holding the file or what it held before), and that no transfer
ran past its time-outs. It prints the outcomes counted, its memory at the start and at the end,
and the seed of every violation: "--seed N --count 1" replays that transfer alone.

  --seed N     the first transfer's seed
  --count N    the number of transfers
  --cli PATH   quorvel-cli, which runs every 25th transfer (default: beside quorvel-soak)
  --verbose    a line for every transfer
)";

SoakOptions ReadOptions(const std::vector<std::string>& args) {
    const ParsedArgs parsed = ScanArguments(
        args,
        {{"seed", true}, {"count", true}, {"cli", true}, {"verbose", false}, {"help", false, 'h'}});
    if (parsed.Has("help")) {
        std::cout << kUsage;
        std::exit(0);
    }
    if (!parsed.positionals.empty()) {
        throw UsageError("unexpected argument \"" + parsed.positionals[0] + "\"");
    }
    SoakOptions options;
    if (const auto seed = parsed.Value("seed")) {
        options.seed = static_cast<unsigned>(ParseNumber(*seed, 0, 4'000'000'000, "--seed"));
    }
    if (const auto count = parsed.Value("count")) {
        options.count = static_cast<unsigned>(ParseNumber(*count, 1, 1'000'000, "--count"));
    }
    options.program = parsed.Value("cli").value_or(PathText(ProgramFolder() / "quorvel-cli"));
    options.verbose = parsed.Has("verbose");
    return options;
}

// A folder of this run's own under the system's temporary folder.
fs::path ScratchFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("quorvel-soak-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    return folder;
}

int Soak(const SoakOptions& options) {
    std::cout << "quorvel-soak: " << options.count << " transfers from seed " << options.seed
              << "; memory at the start: " << MemoryText(ProcessMemory()) << std::endl;
    const fs::path scratch = ScratchFolder();
    SoakReport report(std::cout);
    SoakWatchdog watchdog([&](const std::string& why) {
        std::cout << "VIOLATION " << why << "; the soak stops here" << std::endl;
        report.Print(std::chrono::seconds(0));
    });
    SoakRunner runner(scratch, options.program, watchdog);
    const auto start = std::chrono::steady_clock::now();
    const unsigned warmUp = std::max(1u, options.count / 2);
    MemoryUse afterWarmUp;
    for (unsigned i = 0; i < options.count; ++i) {
        const SoakPlan plan = PlanFor(options.seed + i);
        SetCrashNote("quorvel-soak: crashed in the transfer of seed " + std::to_string(plan.seed) +
                     "; replay: quorvel-soak --seed " + std::to_string(plan.seed) + " --count 1");
        report.Add(plan, runner.Run(plan), options.verbose);
        if (i + 1 == warmUp) {
            afterWarmUp = ProcessMemory();
        }
        if ((i + 1) % 50 == 0) {
            std::cout << i + 1 << " transfers, " << report.Violations() << " violations, memory "
                      << MemoryText(ProcessMemory()) << std::endl;
        }
    }
    const auto took =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    const MemoryUse atEnd = ProcessMemory();
    std::cout << "memory after the warm-up (" << warmUp
              << " transfers): " << MemoryText(afterWarmUp) << "; at the end: " << MemoryText(atEnd)
              << std::endl;
    if (atEnd.currentKiB > afterWarmUp.currentKiB + kMemoryGrowthKiB) {
        report.AddViolation("memory grew by " +
                            std::to_string(atEnd.currentKiB - afterWarmUp.currentKiB) +
                            " KiB after the warm-up");
    }
    report.Print(took);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return report.Violations() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Soak(ReadOptions(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const UsageError& error) {
        std::cerr << "quorvel-soak: " << error.what() << "\nTry \"quorvel-soak --help\".\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quorvel-soak: " << error.what() << "\n";
        return 1;
    }
}
