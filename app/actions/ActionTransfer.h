// One action's use of the TFTP client, from its preparation to the end of its last transfer.
//
// The host prepares the client; the client's work events then become one diagnostic line each
// and the action's progress, and the action's cancel reaches the client until an upload's last
// block has gone out: from then on the action runs to its end. Two transfers of one
// action can share one progress display, as the firmware image and its companion do.
#pragma once

#include "app/actions/ActionHost.h"
#include "tftp/IdComponent.h"

#include <cstdint>

// Consecutive reply time-outs after which an action's upload gives up.
inline constexpr std::int32_t kUploadRetries = 3;

class ActionTransfer {
public:
    ActionTransfer(ActionHost& host, Action action);
    // The client no longer reports to the action.
    ~ActionTransfer();
    ActionTransfer(const ActionTransfer&) = delete;
    ActionTransfer& operator=(const ActionTransfer&) = delete;

    TIdTrivialFTP& Client() { return client_; }

    // 0 for an ordinary transfer. >= 0: bytes still to come after the transfer that starts,
    // which the display spans as well; < 0: minus the bytes already shown, added to every count
    // of the transfer that starts.
    std::int32_t ProgressCarry = 0;
    // Lets the next transfer go on from where the display stands.
    void ContinueProgress();

private:
    void WorkBegin(TWorkMode mode, std::int64_t max);
    void Work(std::int64_t count);
    void WorkEnd();

    ActionHost& host_;
    TIdTrivialFTP& client_;
    std::int64_t shown_ = 0;
};
