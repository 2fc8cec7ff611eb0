#include "cli/Cancel.h"

#include "tftp/IdTrivialFTP.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<bool> requested{false};
std::mutex targetMutex;
TIdTrivialFTP* target = nullptr;
int holds = 0;

} // namespace

bool RequestCancel() {
    requested = true;
    std::lock_guard lock(targetMutex);
    if (target == nullptr) {
        return holds > 0;
    }
    target->CancelRequested = true;
    return true;
}

bool CancelWasRequested() {
    return requested;
}

CancelTarget::CancelTarget(TIdTrivialFTP& client) : client_(client) {
    std::lock_guard lock(targetMutex);
    target = &client_;
}

CancelTarget::~CancelTarget() {
    std::lock_guard lock(targetMutex);
    target = nullptr;
}

void CancelTarget::Renew() {
    if (requested) {
        client_.CancelRequested = true;
    }
}

CancelHold::CancelHold() {
    std::lock_guard lock(targetMutex);
    ++holds;
}

CancelHold::~CancelHold() {
    std::lock_guard lock(targetMutex);
    --holds;
}
