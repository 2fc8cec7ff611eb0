#include "cli/Cancel.h"

#include "support/CancelToken.h"

#include <mutex>
#include <utility>

namespace {

std::mutex guard;
std::function<bool()> active;
bool paused = false;

} // namespace

bool RequestCancel() {
    std::lock_guard lock(guard);
    if (!active || paused) {
        return false;
    }
    return active();
}

CancelScope::CancelScope(CancelToken& token)
    : CancelScope([&token] {
          token.Request();
          return true;
      }) {}

CancelScope::CancelScope(std::function<bool()> request) {
    std::lock_guard lock(guard);
    active = std::move(request);
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
