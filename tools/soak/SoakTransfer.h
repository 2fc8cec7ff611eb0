// One transfer of the soak from its plan: the files laid out, the simulator started, the window's
// Get file or Put file run (in this process, or by the quorvel-cli program), and afterwards the
// invariants checked on both folders:
//
// - a get that reports success left exactly the device's file; a failed one showed a message,
//   left no file of its own, and an older file exactly as it was;
// - a put that reports success left exactly the file on the device; after a failed one the
//   device holds either exactly the file or what it held before;
// - no transfer runs past what its time-outs allow, and every one ends with a message.
#pragma once

#include "tftp/IdTrivialFTP.h"
#include "tools/soak/SoakPlan.h"
#include "tools/soak/SoakWatchdog.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

struct TransferResult {
    bool done = false;   // the action reported success
    std::string message; // what it showed
    std::vector<std::string> violations;
    std::vector<std::string> simulatorLog; // kept only when there are violations
    std::chrono::milliseconds took{};
};

class SoakRunner {
public:
    // scratch: a folder of the soak's own; program: quorvel-cli, for the plans that use it.
    SoakRunner(std::filesystem::path scratch, std::filesystem::path program,
               SoakWatchdog& watchdog);

    TransferResult Run(const SoakPlan& plan);

private:
    struct Layout;

    void RunInProcess(const SoakPlan& plan, const Layout& layout, class SoakDevice& device,
                      TransferResult& result);
    void RunByProgram(const SoakPlan& plan, const Layout& layout, const SoakDevice& device,
                      TransferResult& result);
    void CheckGet(const SoakPlan& plan, const Layout& layout, TransferResult& result) const;
    void CheckPut(const SoakPlan& plan, const Layout& layout, TransferResult& result) const;

    std::filesystem::path scratch_;
    std::filesystem::path program_;
    SoakWatchdog& watchdog_;
    // One client for every transfer in this process, as the window keeps one.
    TIdTrivialFTP client_;
};

// The reason of a failure as the report counts it: the text after the failure sentence, with
// numbers and quoted names folded, so that alike failures fall together.
std::string FailureKind(const std::string& message);
