#include "app/HandlerRunner.h"
#include "app/Main.h"

HandlerRunner::HandlerRunner(TForm1& form, Hooks hooks) : form_(form), hooks_(std::move(hooks)) {}

void HandlerRunner::Run(const std::function<void()>& handler) {
    ++running_;
    try {
        handler();
    } catch (const std::exception& error) {
        if (!closing_) {
            hooks_.showError(error);
        }
    }
    --running_;
    if (running_ == 0 && closePending_) {
        closePending_ = false;
        hooks_.closeAgain();
    }
}

bool HandlerRunner::RequestClose() {
    if (!closing_) {
        // The settings are saved as the close begins, whatever the running action does next.
        closing_ = true;
        hooks_.silence();
        Run([this] { form_.FormClose(); });
    }
    if (running_ == 0) {
        return true;
    }
    // Cancel the transfer and give up a dialog the action is waiting in. An action that must run
    // to its end is left to finish, and the box it ends with to be read.
    closePending_ = true;
    if (form_.CancelForClose()) {
        hooks_.dismissModal();
    }
    return false;
}
