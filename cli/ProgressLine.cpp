#include "cli/ProgressLine.h"

#include <cstdio>
#include <ostream>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

std::string Size(double bytes) {
    static const char* const units[] = {"bytes", "KiB", "MiB", "GiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(units)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

} // namespace

std::string FormatProgress(std::int64_t count, std::int64_t total, std::int64_t elapsedMs) {
    std::string text = Size(static_cast<double>(count));
    if (total > 0) {
        text += " of " + Size(static_cast<double>(total));
    }
    if (elapsedMs > 0) {
        text += "  " + Size(static_cast<double>(count) * 1000.0 / static_cast<double>(elapsedMs)) +
                "/s";
    }
    return text;
}

void ProgressLine::Begin(std::int64_t total) {
    total_ = total;
    start_ = std::chrono::steady_clock::now();
    lastDraw_ = start_ - kRedrawInterval;
}

void ProgressLine::Update(std::int64_t count) {
    last_ = count;
    if (enabled_ && std::chrono::steady_clock::now() - lastDraw_ >= kRedrawInterval) {
        Draw(count);
    }
}

void ProgressLine::Finish() {
    if (enabled_ && drawn_) {
        Draw(last_);
        out_ << "\n" << std::flush;
        drawn_ = false;
    }
}

void ProgressLine::Wipe() {
    if (enabled_ && drawn_) {
        out_ << "\r" << std::string(width_, ' ') << "\r" << std::flush;
        drawn_ = false;
        lastDraw_ = std::chrono::steady_clock::now() - kRedrawInterval;
    }
}

void ProgressLine::Draw(std::int64_t count) {
    lastDraw_ = std::chrono::steady_clock::now();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(lastDraw_ - start_).count();
    // Trailing blanks wipe what a longer earlier line left behind.
    const std::string line = label_ + FormatProgress(count, total_, elapsed) + "        ";
    out_ << "\r" << line << std::flush;
    width_ = line.size();
    drawn_ = true;
}
