// Runs one of the project's programs as a child process for a test: its output goes to files
// (read at any time), stdin comes from a given text, and every wait is bounded: a child still
// running at the limit is killed.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

class ChildProcess {
public:
    // environment: "NAME=value" entries added to the test's own environment for the child only.
    ChildProcess(const std::vector<std::string>& argv, const std::string& input,
                 const std::filesystem::path& workDir,
                 const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Signal(int signal) const;
    // The exit status, 128 + N after signal N, or -1 when the limit passed (the child is then
    // killed).
    int Wait(std::chrono::milliseconds limit);
    // Waits (bounded) until stdout holds text.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit) const;

    std::string Out() const;
    std::string Err() const;

private:
    std::filesystem::path scratch_;
    int pid_ = -1;
    bool reaped_ = false;
};
