#include "tests/kit/OrdinaryUser.h"

// A test process cannot drop its rights on Windows.
int RunAsOrdinaryUser(const char*, const std::function<int()>&) {
    return kNoOrdinaryUser;
}
