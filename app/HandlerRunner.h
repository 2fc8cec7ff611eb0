// Runs the window logic's handlers for a toolkit's window, and carries out its close.
//
// A transfer lets the toolkit process events, so a close can arrive from inside a handler whose
// stack still uses the window. The close then begins at once (the settings are saved, no more
// boxes are shown, the running transfer is cancelled where the action allows), and the window
// closes for good once the outermost handler has returned.
#pragma once

#include <exception>
#include <functional>

class TForm1;

class HandlerRunner {
public:
    struct Hooks {
        // Shows an error that no handler caught, as the toolkit shows such errors.
        std::function<void(const std::exception&)> showError;
        // No more boxes or dialogs: the window is closing.
        std::function<void()> silence;
        // Gives up the file dialog or box the running action waits in.
        std::function<void()> dismissModal;
        // Asks the window to close again, once a close had to wait for the running handlers.
        std::function<void()> closeAgain;
    };

    HandlerRunner(TForm1& form, Hooks hooks);

    // Runs a handler of the logic. An error it lets through is shown (unless the window is
    // closing) and the program goes on.
    void Run(const std::function<void()>& handler);

    // The window is asked to close, by any means. Returns true when it may close now; false when
    // a handler still runs, and the close comes again through closeAgain once it has returned.
    bool RequestClose();

    bool Closing() const { return closing_; }

private:
    TForm1& form_;
    Hooks hooks_;
    // Handlers of the logic on the stack; the window must outlive every one of them.
    int running_ = 0;
    // The close has begun: the settings are saved, no more boxes are shown.
    bool closing_ = false;
    // The close waits for the running handlers to return.
    bool closePending_ = false;
};
