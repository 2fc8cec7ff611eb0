#include "tests/kit/DebuggerCapture.h"

#include <gtest/gtest.h>

#include <sstream>

struct DebuggerCapture::Channel {
    bool open = true;
};

DebuggerCapture::DebuggerCapture() : channel_(std::make_unique<Channel>()) {
    ::testing::internal::CaptureStderr();
}

DebuggerCapture::~DebuggerCapture() {
    if (channel_->open)
        Lines();
}

std::vector<std::string> DebuggerCapture::Lines() {
    channel_->open = false;
    std::istringstream text(::testing::internal::GetCapturedStderr());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}
