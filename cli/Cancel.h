// Ctrl+C in quorvel-cli. While a command's action runs, Ctrl+C requests the action's cancel: a
// transfer then ends with "Operation canceled" at the end of its current one-second wait, and
// past the action's point of no return the request is refused (the action says so and runs to
// its end). With no action running, or at the overwrite question, nothing has been done that
// needs undoing, and the program simply ends.
#pragma once

#include <functional>

class CancelToken;

// Called on Ctrl+C, from the thread that watches for it. False when there is nothing to cancel.
bool RequestCancel();

// Makes token the one Ctrl+C requests while this object lives.
class CancelScope {
public:
    explicit CancelScope(CancelToken& token);
    // For a run of many transfers: Ctrl+C calls request, which cancels what runs and tells
    // whether anything was there to cancel.
    explicit CancelScope(std::function<bool()> request);
    ~CancelScope();
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;
};

// While this object lives (a question at the terminal), Ctrl+C cancels nothing.
class CancelPause {
public:
    CancelPause();
    ~CancelPause();
    CancelPause(const CancelPause&) = delete;
    CancelPause& operator=(const CancelPause&) = delete;
};
