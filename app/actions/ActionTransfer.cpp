#include "app/actions/ActionTransfer.h"

#include "support/CancelToken.h"
#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <limits>

ActionTransfer::ActionTransfer(ActionHost& host, Action action)
    : host_(host), client_(host.PrepareClient(action)) {
    client_.OnWorkBegin = [this](TIdComponent*, TWorkMode mode, std::int64_t max) {
        WorkBegin(mode, max);
    };
    client_.OnWork = [this](TIdComponent*, TWorkMode, std::int64_t count) { Work(count); };
    client_.OnWorkEnd = [this](TIdComponent*, TWorkMode) { WorkEnd(); };
    // The device holds the whole file once an upload's last block is out: cancelling then would
    // report a failure that did not happen, while a device may already be flashing.
    client_.OnLastBlockSent = [&host] { host.ForbidCancel(); };
    client_.ActionCancel = &host.Cancel();
}

ActionTransfer::~ActionTransfer() {
    client_.OnWorkBegin = nullptr;
    client_.OnWork = nullptr;
    client_.OnWorkEnd = nullptr;
    client_.OnLastBlockSent = nullptr;
    client_.ActionCancel = nullptr;
}

void ActionTransfer::ContinueProgress() {
    ProgressCarry = static_cast<std::int32_t>(
        -std::min<std::int64_t>(shown_, std::numeric_limits<std::int32_t>::max()));
}

void ActionTransfer::WorkBegin(TWorkMode mode, std::int64_t max) {
    WriteLog("WorkBeginEvent " + std::to_string(static_cast<int>(mode)) + " " +
             std::to_string(max));
    if (max == 0) {
        host_.ClientWorkBegin(0);
    } else if (ProgressCarry >= 0) {
        host_.ClientWorkBegin(ProgressCarry + max);
    } else {
        host_.ClientWorkBegin(std::nullopt);
    }
}

void ActionTransfer::Work(std::int64_t count) {
    if (LogWanted()) {
        WriteLog("WorkEvent " + std::to_string(count));
    }
    // A negative carry is what an earlier transfer of the action has shown.
    shown_ = count + (ProgressCarry < 0 ? -std::int64_t{ProgressCarry} : 0);
    host_.ClientWork(shown_);
}

void ActionTransfer::WorkEnd() {
    WriteLog("WorkEndEvent ");
    host_.ClientWorkEnd();
}
