// Root of the client's class chain: the work events through which a transfer reports progress.
//
// Work is counted per mode (reading for downloads, writing for uploads). Begin and end may nest;
// only the outermost begin and end reach the events, and progress is reported only between them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

enum TWorkMode { workRead, workWrite };

class TIdComponent;

// AWorkCountMax: bytes to send for an upload, 0 for a download.
using TWorkBeginEvent =
    std::function<void(TIdComponent* Sender, TWorkMode AWorkMode, std::int64_t AWorkCountMax)>;
// AWorkCount: running total of data bytes of this transfer, not the increment.
using TWorkEvent =
    std::function<void(TIdComponent* Sender, TWorkMode AWorkMode, std::int64_t AWorkCount)>;
using TWorkEndEvent = std::function<void(TIdComponent* Sender, TWorkMode AWorkMode)>;

class TIdComponent {
public:
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;

    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

    void BeginWork(TWorkMode mode, std::int64_t size);
    void DoWork(TWorkMode mode, std::int64_t count);
    void EndWork(TWorkMode mode);

protected:
    // Only ever a part of the client, never used or destroyed as a component of its own.
    TIdComponent() = default;
    ~TIdComponent() = default;

private:
    struct WorkState {
        std::int32_t level = 0;
        std::int64_t max = 0;
        std::int64_t count = 0;
    };
    std::array<WorkState, 2> Work{};
};
