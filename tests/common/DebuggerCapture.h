// What the program hands to the debugger output while a capture runs: standard error on POSIX
// systems, the system's debug-string channel (OutputDebugString) on Windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

class DebuggerCapture {
public:
    DebuggerCapture(); // starts capturing
    ~DebuggerCapture();
    DebuggerCapture(const DebuggerCapture&) = delete;
    DebuggerCapture& operator=(const DebuggerCapture&) = delete;

    // Ends the capture; one entry per line handed over, without line ends.
    std::vector<std::string> Lines();

private:
    struct Channel;
    std::unique_ptr<Channel> channel_;
};
