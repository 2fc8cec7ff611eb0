#include "tools/soak/SoakTransfer.h"
#include "support/PathText.h"

#include "app/actions/Actions.h"
#include "tools/soak/SoakContent.h"
#include "tools/soak/SoakDevice.h"
#include "tools/soak/SoakSystem.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace fs = std::filesystem;

namespace {

// Another seed for the older file, so that its content differs from the transfer's.
constexpr std::uint64_t kOlderContent = 0x6F6C646572ull << 32;

using Names = std::set<std::string>;

Names NamesIn(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(PathText(entry.path().filename()));
    }
    return names;
}

std::string Listed(const Names& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text.empty() ? "nothing" : text;
}

void FreshFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

// Checks that folder holds exactly the expected names.
void ExpectNames(const fs::path& folder, const Names& expected, const std::string& where,
                 TransferResult& result) {
    const Names names = NamesIn(folder);
    if (names != expected) {
        result.violations.push_back(where + " holds " + Listed(names) + " instead of " +
                                    Listed(expected));
    }
}

// Whether the text from at is a quoted path, up to its closing quote.
bool QuotedPath(const std::string& text, std::size_t at) {
    const std::size_t end = text.find('"', at + 1);
    return end != std::string::npos && text.find('/', at) < end;
}

std::string Folded(const std::string& text) {
    std::string folded;
    bool inPath = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && (inPath || QuotedPath(text, i))) {
            folded += inPath ? "\"" : "\"...";
            inPath = !inPath;
        } else if (inPath) {
            continue;
        } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            if (folded.empty() || folded.back() != 'N') {
                folded += 'N';
            }
        } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            if (!folded.empty() && folded.back() != ' ') {
                folded += ' ';
            }
        } else {
            folded += c;
        }
    }
    while (!folded.empty() && folded.back() == ' ') {
        folded.pop_back();
    }
    return folded;
}

} // namespace

struct SoakRunner::Layout {
    fs::path device;
    fs::path local;
    std::string name;
    fs::path localFile;
    fs::path deviceFile;
    std::uint64_t olderSeed;
};

std::string FailureKind(const std::string& message) {
    const std::size_t sentence = message.find("failed!");
    return Folded(sentence == std::string::npos ? message : message.substr(sentence + 7));
}

SoakRunner::SoakRunner(fs::path scratch, fs::path program, SoakWatchdog& watchdog)
    : scratch_(std::move(scratch)), program_(std::move(program)), watchdog_(watchdog) {}

TransferResult SoakRunner::Run(const SoakPlan& plan) {
    Layout layout;
    layout.device = scratch_ / "device";
    layout.local = scratch_ / "local";
    layout.name = "soak" + std::to_string(plan.seed) + ".bin";
    layout.localFile = layout.local / layout.name;
    layout.deviceFile = layout.device / layout.name;
    layout.olderSeed = kOlderContent + plan.seed;
    FreshFolder(layout.device);
    FreshFolder(layout.local);
    const fs::path& source =
        plan.direction == Direction::Get ? layout.deviceFile : layout.localFile;
    const fs::path& target =
        plan.direction == Direction::Get ? layout.localFile : layout.deviceFile;
    if (!plan.missing) {
        WriteContent(source, plan.seed, plan.size);
    }
    if (plan.olderSize) {
        WriteContent(target, layout.olderSeed, *plan.olderSize);
    }

    TransferResult result;
    const auto start = std::chrono::steady_clock::now();
    SoakDevice device(plan, layout.device);
    if (plan.viaProgram) {
        RunByProgram(plan, layout, device, result);
    } else {
        RunInProcess(plan, layout, device, result);
    }
    device.Stop();
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);

    if (result.message.find(result.done ? "successfull" : "failed!") == std::string::npos ||
        (!result.done && FailureKind(result.message).empty())) {
        result.violations.push_back("the message does not say what happened: \"" + result.message +
                                    "\"");
    }
    plan.direction == Direction::Get ? CheckGet(plan, layout, result)
                                     : CheckPut(plan, layout, result);
    if (!result.violations.empty()) {
        result.simulatorLog = device.Log();
    }
    return result;
}

namespace {

// What the client's time-outs allow: a get ends at its first silent reply wait, a put on the
// network after three; a transfer that moves no data for longer has hung. The whole transfer
// is bounded by its blocks at a generous cost each, and the faults on top.
std::chrono::milliseconds StallLimit(const SoakPlan& plan) {
    return std::chrono::seconds(3 * plan.timeoutSeconds + 5);
}

std::chrono::milliseconds WholeLimit(const SoakPlan& plan) {
    const auto blocks =
        static_cast<long long>(plan.size / static_cast<std::uint64_t>(plan.blockSize) + 1);
    const long long perBlockMs = plan.line == Line::Serial ? 100 : 3;
    return std::chrono::seconds(60) + std::chrono::milliseconds(blocks * perBlockMs);
}

} // namespace

void SoakRunner::RunInProcess(const SoakPlan& plan, const Layout& layout, SoakDevice& device,
                              TransferResult& result) {
    SoakProgress progress;
    progress.Start();
    SoakHost host(client_, device.Connection(), progress);
    watchdog_.Arm(progress, host.Cancel(), StallLimit(plan), WholeLimit(plan));
    result.done = plan.direction == Direction::Get
                      ? GetFile(host, layout.name, PathText(layout.localFile))
                      : PutFile(host, PathText(layout.localFile), layout.name);
    const std::string hang = watchdog_.Disarm();
    if (!hang.empty()) {
        result.violations.push_back(hang);
    }
    result.message = host.Message();
}

void SoakRunner::RunByProgram(const SoakPlan& plan, const Layout& layout, const SoakDevice& device,
                              TransferResult& result) {
    std::vector<std::string> argv = {PathText(program_), DirectionName(plan.direction)};
    if (plan.direction == Direction::Get) {
        argv.insert(argv.end(), {layout.name, PathText(layout.localFile), "--yes"});
    } else {
        argv.insert(argv.end(), {PathText(layout.localFile), layout.name});
    }
    const std::vector<std::string> options = device.ProgramOptions();
    argv.insert(argv.end(), options.begin(), options.end());
    const ProgramResult run = RunProgram(argv, scratch_, WholeLimit(plan));
    fs::remove(scratch_ / "program-output.txt");
    result.done = run.status == 0;
    result.message = run.output;
    if (run.killed) {
        result.violations.push_back("quorvel-cli hung: still running past its limit");
    } else if (run.status != 0 && run.status != 1) {
        result.violations.push_back("quorvel-cli ended with status " + std::to_string(run.status));
    }
}

void SoakRunner::CheckGet(const SoakPlan& plan, const Layout& layout,
                          TransferResult& result) const {
    if (result.done) {
        if (plan.missing) {
            result.violations.push_back("a get of a file the device lacks reported success");
        } else if (auto difference = ContentDifference(layout.localFile, plan.seed, plan.size)) {
            result.violations.push_back("the received file " + *difference);
        }
        ExpectNames(layout.local, {layout.name}, "after the get, the local folder", result);
        return;
    }
    if (plan.olderSize) {
        if (auto difference =
                ContentDifference(layout.localFile, layout.olderSeed, *plan.olderSize)) {
            result.violations.push_back("after the failed get, the older file " + *difference);
        }
        ExpectNames(layout.local, {layout.name}, "after the failed get, the local folder", result);
    } else {
        ExpectNames(layout.local, {}, "after the failed get, the local folder", result);
    }
}

void SoakRunner::CheckPut(const SoakPlan& plan, const Layout& layout,
                          TransferResult& result) const {
    const auto exact = ContentDifference(layout.deviceFile, plan.seed, plan.size);
    if (result.done && exact) {
        result.violations.push_back("the file on the device " + *exact);
    }
    if (!result.done && exact) {
        // Failed: the device has the whole file (its last ACK went missing), or what it had.
        const auto older =
            plan.olderSize ? ContentDifference(layout.deviceFile, layout.olderSeed, *plan.olderSize)
                           : std::optional<std::string>();
        if (plan.olderSize && older) {
            result.violations.push_back("after the failed put, the device's older file " + *older);
        }
        if (!plan.olderSize && fs::exists(layout.deviceFile)) {
            result.violations.push_back("after the failed put, the device holds a file that " +
                                        *exact);
        }
    }
    const bool fileExpected = result.done || plan.olderSize || !exact;
    ExpectNames(layout.device, fileExpected ? Names{layout.name} : Names{},
                "after the put, the device folder", result);
}
