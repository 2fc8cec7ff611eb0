// Watches the transfer that runs, on a thread of its own. A transfer that neither moves data on
// nor ends within what its reply time-outs allow, or that runs past its whole limit, has hung:
// the watchdog notes it and cancels the transfer as "Cancel action" would. One that does not end
// even then is past saving: the watchdog prints why and ends the program.
#pragma once

#include "tools/soak/SoakHost.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SoakWatchdog {
public:
    using Duration = std::chrono::milliseconds;

    // lastWords: printed before the program ends on a transfer that cannot be cancelled.
    explicit SoakWatchdog(std::function<void(const std::string&)> lastWords);
    ~SoakWatchdog();
    SoakWatchdog(const SoakWatchdog&) = delete;
    SoakWatchdog& operator=(const SoakWatchdog&) = delete;

    // Watches a transfer until Disarm(): stall, the longest it may go without new data; whole,
    // the longest it may take.
    void Arm(const SoakProgress& progress, CancelToken& cancel, Duration stall, Duration whole);
    // Ends the watch; tells why the transfer hung, or an empty text.
    std::string Disarm();

private:
    void Watch();
    // Why the armed transfer has hung, or an empty text.
    std::string HangReason() const;

    std::function<void(const std::string&)> lastWords_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const SoakProgress* progress_ = nullptr;
    CancelToken* cancel_ = nullptr;
    Duration stall_{};
    std::chrono::steady_clock::time_point deadline_{};
    std::string hang_;
    bool stop_ = false;
    std::thread thread_;
};
