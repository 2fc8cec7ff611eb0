// Running a piece of a test as an ordinary user, for whom permission bits hold (an
// administrator may write into any folder).
#pragma once

#include <functional>

// Runs work in a child process as an ordinary user and returns its exit status. 77 when there
// is no ordinary user to run as here (Windows), or folder is out of that user's reach.
inline constexpr int kNoOrdinaryUser = 77;
int RunAsOrdinaryUser(const char* folder, const std::function<int()>& work);
