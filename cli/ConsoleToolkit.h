// The window's toolkit on a console, so that the command line runs the window's own actions.
//
// The controls are plain state in memory. A file dialog answers once with the path named on the
// command line, and is cancelled after that. An information box becomes text on stdout, a warning
// text on stderr (each CR a line break). The yes/no question is answered by --yes, else by a "y"
// typed at a terminal, else no. The progress bar becomes the progress line on a terminal's
// stderr. Ctrl+C plays the part of "Cancel action".
#pragma once

#include "app/Toolkit.h"
#include "cli/Cancel.h"
#include "cli/CliIo.h"
#include "cli/ProgressLine.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TIdTrivialFTP;

struct ConsoleAnswers {
    // The answer of the first file dialog; every later one is cancelled.
    std::optional<std::string> dialogPath = std::nullopt;
    // Every yes/no question is answered yes without asking.
    bool yes = false;
    // No progress line.
    bool quiet = false;
};

class ConsoleToolkit final : public Toolkit {
public:
    ConsoleToolkit(CliIo& io, ConsoleAnswers answers);

    // Ctrl+C as "Cancel action". While the button is shown and enabled, Ctrl+C sets the client's
    // cancel flag at once and reaches the logic as a click on the button (clickCancel) the next
    // time it processes events. While the button is shown but disabled (a step that must run to
    // its end), Ctrl+C is held back. Otherwise, and at a terminal question, Ctrl+C ends the
    // program as usual. Detach before the client goes.
    void AttachCancel(TIdTrivialFTP& client, std::function<void()> clickCancel);
    void DetachCancel();

    // True once a warning has been shown or a question answered no.
    bool Failed() const { return failed_; }
    // The text of the last information box shown.
    const std::string& LastInformation() const { return lastInformation_; }

    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    bool Checked(Control control) const override;
    void SetChecked(Control control, bool checked) override;
    int Value(Control control) const override;
    void SetValue(Control control, int value) override;
    int Maximum(Control control) const override;
    void SetMaximum(Control control, int maximum) override;
    void SetItems(Control control, const std::vector<std::string>& items) override;
    bool Enabled(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Visible(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    Bounds GetBounds(Control control) const override;
    void SetBounds(Control control, const Bounds& bounds) override;
    void SetColour(Control, Colour) override {}
    void Repaint(Control) override {}
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;
    MessageButton ShowMessage(const MessageRequest& request) override;
    void ProcessEvents() override;
    void SetCursor(Cursor) override {}
    void CloseWindow() override {}

private:
    struct ControlState {
        std::string text;
        bool checked = false;
        int value = 0;
        int maximum = 0;
        bool enabled = true;
        bool visible = true;
        Bounds bounds;
    };

    ControlState& State(Control control) { return controls_.at(control); }
    const ControlState& State(Control control) const { return controls_.at(control); }

    MessageButton Ask(const MessageRequest& request);
    // Chooses what Ctrl+C does from the state of "Cancel action".
    void FollowCancelButton();
    void ShowProgress(int position);

    CliIo& io_;
    ConsoleAnswers answers_;
    std::map<Control, ControlState> controls_;
    bool failed_ = false;
    std::string lastInformation_;

    ProgressLine progress_;
    bool progressCounting_ = false;
    // Bytes the bar has wrapped past: a download counts on a bar of fixed size and starts over.
    std::int64_t progressWrapped_ = 0;

    TIdTrivialFTP* client_ = nullptr;
    std::function<void()> clickCancel_;
    bool asking_ = false;
    bool cancelDelivered_ = false;
    bool holdNoted_ = false;
    std::optional<CancelTarget> cancelTarget_;
    std::optional<CancelHold> cancelHold_;
};
