#include "cli/Cancel.h"

#include "support/CancelToken.h"

#include <mutex>

namespace {

std::mutex guard;
CancelToken* active = nullptr;
bool paused = false;

} // namespace

bool RequestCancel() {
    std::lock_guard lock(guard);
    if (active == nullptr || paused) {
        return false;
    }
    active->Request();
    return true;
}

CancelScope::CancelScope(CancelToken& token) {
    std::lock_guard lock(guard);
    active = &token;
}

CancelScope::~CancelScope() {
    std::lock_guard lock(guard);
    active = nullptr;
}

CancelPause::CancelPause() {
    std::lock_guard lock(guard);
    paused = true;
}

CancelPause::~CancelPause() {
    std::lock_guard lock(guard);
    paused = false;
}
