#include "cli/FleetRun.h"

#include "cli/Cancel.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// How often the progress line is brought up to date while no device ends.
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

class FleetRun {
public:
    FleetRun(FleetPlan& plan, const DeviceAction& action, FleetDisplay& display, Clock& clock)
        : plan_(plan), action_(action), display_(display), clock_(clock) {
        for (std::size_t i = 0; i < plan.devices.size(); ++i) {
            if (plan.serve[i]) {
                queue_.push_back(i);
            }
        }
    }

    void Run() {
        const CancelScope scope([this] { return CancelAll(); });
        workersLeft_ = std::min<std::size_t>(plan_.jobs, queue_.size());
        std::vector<std::thread> workers;
        for (std::size_t i = 0; i < workersLeft_; ++i) {
            workers.emplace_back([this] { Work(); });
        }
        Watch();
        for (std::thread& worker : workers) {
            worker.join();
        }
        for (const std::size_t index : queue_) {
            FleetOutcome& outcome = plan_.outcomes[index];
            if (outcome.result == FleetResult::NotStarted) {
                outcome.message = "canceled before it was started";
                display_.Ended(plan_.devices[index], outcome);
            }
        }
        display_.Finish();
    }

private:
    struct Running {
        FleetDeviceHost* host;
        std::size_t index;
        bool refusalNoted = false;
    };

    // A worker thread: serves devices from the queue until it is empty or the run is canceled.
    void Work() {
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard lock(mutex_);
                if (stopping_ || next_ == queue_.size()) {
                    break;
                }
                index = queue_[next_++];
            }
            Serve(index);
        }
        const std::lock_guard lock(mutex_);
        --workersLeft_;
        changed_.notify_one();
    }

    void Serve(std::size_t index) {
        const FleetDevice& device = plan_.devices[index];
        FleetDeviceHost host(ConnectionTo(plan_.connection, device), plan_.settingsFile, clock_);
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            running_.push_back({&host, index});
        }
        const auto start = clock_.Now();
        bool done = false;
        try {
            done = action_(device, host);
        } catch (const std::exception& error) {
            // The actions report their own failures; this is only what slipped past them.
            host.ShowWarning(error.what());
        }
        FleetOutcome outcome;
        outcome.result = done                        ? FleetResult::Ok
                         : host.Cancel().Requested() ? FleetResult::Canceled
                                                     : FleetResult::Failed;
        outcome.message = host.Message();
        outcome.bytes = host.Bytes();
        outcome.seconds = std::chrono::duration<double>(clock_.Now() - start).count();
        const std::lock_guard lock(mutex_);
        std::erase_if(running_, [&](const Running& entry) { return entry.host == &host; });
        tally_.ended += 1;
        tally_.failed += done ? 0 : 1;
        tally_.bytes += outcome.bytes;
        plan_.outcomes[index] = std::move(outcome);
        ended_.push_back(index);
        changed_.notify_one();
    }

    // Ctrl+C, on the thread that watches for it.
    bool CancelAll() {
        const std::lock_guard lock(mutex_);
        canceledNote_ = !stopping_;
        stopping_ = true;
        for (const Running& entry : running_) {
            entry.host->Cancel().Request();
        }
        changed_.notify_one();
        return true;
    }

    // The calling thread: shows each device as it ends, the notes and the progress.
    void Watch() {
        std::unique_lock lock(mutex_);
        for (;;) {
            const std::vector<std::size_t> ended = std::exchange(ended_, {});
            const std::vector<std::string> notes = TakeNotes();
            FleetTally tally = tally_;
            tally.running = running_.size();
            for (const Running& entry : running_) {
                tally.bytes += entry.host->Bytes();
            }
            const bool last = workersLeft_ == 0;
            lock.unlock();
            for (const std::string& note : notes) {
                display_.Note(note);
            }
            for (const std::size_t index : ended) {
                display_.Ended(plan_.devices[index], plan_.outcomes[index]);
            }
            display_.Progress(tally);
            lock.lock();
            if (last) {
                return;
            }
            changed_.wait_for(lock, kProgressInterval);
        }
    }

    // Under the lock: what the technician is told about a cancel, once.
    std::vector<std::string> TakeNotes() {
        std::vector<std::string> notes;
        if (std::exchange(canceledNote_, false)) {
            notes.emplace_back("quorvel-cli: canceled: the running transfers stop, and no "
                               "further device is started");
        }
        for (Running& entry : running_) {
            if (entry.host->Cancel().Refused() && !std::exchange(entry.refusalNoted, true)) {
                notes.push_back("quorvel-cli: " + plan_.devices[entry.index].name +
                                ": this step can no longer be cancelled; it runs to its end");
            }
        }
        return notes;
    }

    FleetPlan& plan_;
    const DeviceAction& action_;
    FleetDisplay& display_;
    Clock& clock_;
    std::vector<std::size_t> queue_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t workersLeft_ = 0;
    bool stopping_ = false;
    bool canceledNote_ = false;
    std::vector<Running> running_;
    std::vector<std::size_t> ended_;
    FleetTally tally_;
};

} // namespace

TransferSettings ConnectionTo(const TransferSettings& connection, const FleetDevice& device) {
    TransferSettings settings = connection;
    settings.host = device.host;
    settings.comPort = device.host.empty() ? device.port : 0;
    if (!device.host.empty()) {
        settings.port = device.port;
    }
    return settings;
}

void ServeDevices(FleetPlan& plan, const DeviceAction& action, FleetDisplay& display,
                  Clock& clock) {
    FleetRun(plan, action, display, clock).Run();
}
