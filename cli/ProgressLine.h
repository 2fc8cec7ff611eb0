// The progress line on a terminal's stderr: bytes so far (of the total when known) and the
// rate, redrawn in place at most a few times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>

// "1.5 MiB of 3.0 MiB  512.0 KiB/s"; total 0 means unknown.
std::string FormatProgress(std::int64_t count, std::int64_t total, std::int64_t elapsedMs);

class ProgressLine {
public:
    ProgressLine(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}

    void Begin(std::int64_t total);
    // A text shown before the numbers, such as the devices of a run that are done.
    void Label(std::string text) { label_ = std::move(text); }
    void Update(std::int64_t count);
    // Ends the line, so that later messages start on a line of their own.
    void Finish();
    // Blanks the line, for a message printed in its place; the next update draws it again.
    void Wipe();

private:
    void Draw(std::int64_t count);

    std::ostream& out_;
    bool enabled_;
    bool drawn_ = false;
    std::string label_;
    std::size_t width_ = 0; // of the line last drawn
    std::int64_t total_ = 0;
    std::int64_t last_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};
