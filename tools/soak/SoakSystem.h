// What the soak needs of the operating system: its own memory use, a last word when it crashes,
// the environment for the serial line's COM number, and quorvel-cli run as a program.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct MemoryUse {
    std::uint64_t peakKiB = 0;    // the most this process has held in memory so far
    std::uint64_t currentKiB = 0; // what it holds now
};
MemoryUse ProcessMemory();

// The line printed should the program crash from now on (until the next call).
void SetCrashNote(const std::string& line);

// Sets (or replaces) a variable of this process's environment.
void SetEnvironment(const std::string& name, const std::string& value);

// The folder of the running program.
std::filesystem::path ProgramFolder();

struct ProgramResult {
    int status = -1;     // the exit status, 128 + N after signal N
    bool killed = false; // still running at the limit
    std::string output;  // stdout and stderr together
};
// Runs a program with argv (argv[0] its path) in this process's environment, its output in a
// file in scratch, and waits for it at most limit; a program still running then is killed.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                         std::chrono::milliseconds limit);
