// The request to stop the action that runs: "Cancel action" in the window, Ctrl+C on the command
// line. A request may come from another thread (quorvel-cli takes Ctrl+C on a thread of its own);
// the action notices it after its current wait. Once an action is past its point of no return
// (the last block of an upload is out, so the device holds the file; a firmware image is on the
// device and its companion must follow), requests are refused and only remembered, so that the
// front end can tell the user why nothing stops.
#pragma once

#include <atomic>

class CancelToken {
public:
    // Asks the action to stop; while it may not be stopped, the request is refused.
    void Request() {
        State seen = State::Open;
        if (!state_.compare_exchange_strong(seen, State::Requested) && seen == State::Forbidden) {
            state_.compare_exchange_strong(seen, State::Refused);
        }
    }
    bool Requested() const { return state_ == State::Requested; }

    // From here on the action runs to its end. A request it has not acted on yet counts as
    // refused, so that the front end can still tell the user why nothing stops.
    void Forbid() {
        State seen = state_;
        while (!state_.compare_exchange_weak(
            seen, seen == State::Requested || seen == State::Refused ? State::Refused
                                                                     : State::Forbidden)) {
        }
    }
    bool Forbidden() const {
        const State state = state_;
        return state == State::Forbidden || state == State::Refused;
    }
    // A request came while the action could not be stopped.
    bool Refused() const { return state_ == State::Refused; }

    // A new action begins: nothing requested, nothing forbidden.
    void Reset() { state_ = State::Open; }

private:
    enum class State { Open, Requested, Forbidden, Refused };
    std::atomic<State> state_{State::Open};
};
