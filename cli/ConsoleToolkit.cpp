#include "cli/ConsoleToolkit.h"

#include "app/Messages.h"
#include "cli/Console.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace {

// A download does not announce its size; the window's bar then counts on this many bytes.
constexpr int kUnsizedBarMaximum = 10000;

// The one question the window asks is whether to replace a file.
constexpr const char* kRefusalNote = "Not overwritten; add --yes to replace it.";

void PrintLines(std::ostream& out, const std::string& text) {
    const std::string lines = WithLineBreaks(text);
    out << lines;
    if (lines.empty() || lines.back() != '\n') {
        out << '\n';
    }
    out << std::flush;
}

bool IsQuestion(const MessageRequest& request) {
    return std::ranges::find(request.buttons, MessageButton::Yes) != request.buttons.end();
}

} // namespace

ConsoleToolkit::ConsoleToolkit(CliIo& io, ConsoleAnswers answers)
    : io_(io), answers_(std::move(answers)),
      progress_(io.err, io.errIsTerminal && !answers_.quiet) {
    const ControlDesign& window = DesignOf(Control::Form1);
    controls_[Control::Form1] =
        ControlState{.text = std::string(window.text), .bounds = window.bounds};
    for (const ControlDesign& design : FormControls()) {
        controls_[design.id] = ControlState{.text = std::string(design.text),
                                            .value = design.value,
                                            .maximum = design.maximum,
                                            .visible = design.visible,
                                            .bounds = design.bounds};
    }
}

void ConsoleToolkit::AttachCancel(TIdTrivialFTP& client, std::function<void()> clickCancel) {
    client_ = &client;
    clickCancel_ = std::move(clickCancel);
    FollowCancelButton();
}

void ConsoleToolkit::DetachCancel() {
    client_ = nullptr;
    clickCancel_ = nullptr;
    FollowCancelButton();
}

std::string ConsoleToolkit::Text(Control control) const {
    return State(control).text;
}

void ConsoleToolkit::SetText(Control control, const std::string& text) {
    State(control).text = text;
}

bool ConsoleToolkit::Checked(Control control) const {
    return State(control).checked;
}

void ConsoleToolkit::SetChecked(Control control, bool checked) {
    // The radio buttons of one group exclude each other.
    const ControlDesign& design = DesignOf(control);
    if (checked && design.kind == ControlKind::RadioButton) {
        for (const ControlDesign& sibling : FormControls()) {
            if (sibling.kind == ControlKind::RadioButton && sibling.parent == design.parent) {
                State(sibling.id).checked = false;
            }
        }
    }
    State(control).checked = checked;
}

int ConsoleToolkit::Value(Control control) const {
    return State(control).value;
}

void ConsoleToolkit::SetValue(Control control, int value) {
    if (control == Control::ProgressBar1) {
        ShowProgress(value);
    }
    State(control).value = value;
}

int ConsoleToolkit::Maximum(Control control) const {
    return State(control).maximum;
}

void ConsoleToolkit::SetMaximum(Control control, int maximum) {
    State(control).maximum = maximum;
    if (control == Control::ProgressBar1 && State(control).visible) {
        // The work of a transfer begins. An upload's bar holds one more than its bytes.
        progress_.Begin(maximum == kUnsizedBarMaximum ? 0 : maximum - 1);
        progressCounting_ = true;
        progressWrapped_ = 0;
    }
}

void ConsoleToolkit::SetItems(Control control, const std::vector<std::string>& /*items*/) {
    // Only the list position matters here; nothing is selected afterwards.
    State(control).value = -1;
}

bool ConsoleToolkit::Enabled(Control control) const {
    return State(control).enabled;
}

void ConsoleToolkit::SetEnabled(Control control, bool enabled) {
    State(control).enabled = enabled;
    if (control == Control::btnCancel) {
        FollowCancelButton();
    }
}

bool ConsoleToolkit::Visible(Control control) const {
    return State(control).visible;
}

void ConsoleToolkit::SetVisible(Control control, bool visible) {
    State(control).visible = visible;
    if (control == Control::btnCancel) {
        FollowCancelButton();
    } else if (control == Control::ProgressBar1) {
        progress_.Finish();
        progressCounting_ = false;
    }
}

Bounds ConsoleToolkit::GetBounds(Control control) const {
    return State(control).bounds;
}

void ConsoleToolkit::SetBounds(Control control, const Bounds& bounds) {
    State(control).bounds = bounds;
}

std::optional<std::string> ConsoleToolkit::RunFileDialog(const FileDialogRequest& /*request*/) {
    // Asked again only after the choice was refused: the command line names no other file.
    return std::exchange(answers_.dialogPath, std::nullopt);
}

MessageButton ConsoleToolkit::ShowMessage(const MessageRequest& request) {
    // Messages start on a line of their own.
    progress_.Finish();
    if (IsQuestion(request)) {
        return Ask(request);
    }
    const bool warning = request.kind == MessageKind::Warning || request.kind == MessageKind::Error;
    if (warning) {
        failed_ = true;
        PrintLines(io_.err, request.text);
    } else {
        lastInformation_ = request.text;
        PrintLines(io_.out, request.text);
    }
    return request.buttons.at(request.defaultButton);
}

MessageButton ConsoleToolkit::Ask(const MessageRequest& request) {
    if (answers_.yes) {
        return MessageButton::Yes;
    }
    bool yes = false;
    if (io_.inIsTerminal) {
        // Ctrl+C at the question ends the program: nothing has been done yet.
        asking_ = true;
        FollowCancelButton();
        yes = AskYesNo(io_, request.text);
        asking_ = false;
        FollowCancelButton();
    } else {
        PrintLines(io_.err, request.text);
        io_.err << kRefusalNote << '\n';
    }
    if (!yes) {
        failed_ = true;
    }
    return yes ? MessageButton::Yes : MessageButton::No;
}

void ConsoleToolkit::ProcessEvents() {
    const ControlState& button = State(Control::btnCancel);
    if (client_ == nullptr || !button.visible || !CancelWasRequested()) {
        return;
    }
    if (button.enabled) {
        cancelDelivered_ = true;
        clickCancel_();
    } else if (!cancelDelivered_ && !holdNoted_) {
        holdNoted_ = true;
        progress_.Finish();
        io_.err << "quorvel-cli: this step can no longer be cancelled; it runs to its end\n"
                << std::flush;
    }
}

void ConsoleToolkit::FollowCancelButton() {
    const ControlState& button = State(Control::btnCancel);
    const bool running = client_ != nullptr && button.visible && !asking_;
    // Each switch takes the new hold before it drops the old one, so that a Ctrl+C in between
    // never ends the program by mistake.
    if (running && button.enabled) {
        if (!cancelTarget_) {
            cancelTarget_.emplace(*client_);
        }
        cancelHold_.reset();
    } else if (running) {
        if (!cancelHold_) {
            cancelHold_.emplace();
        }
        cancelTarget_.reset();
    } else {
        cancelTarget_.reset();
        cancelHold_.reset();
    }
}

void ConsoleToolkit::ShowProgress(int position) {
    if (!progressCounting_) {
        return;
    }
    // The bar moves forward by less than its size at a time: a step back is a wrap.
    const ControlState& bar = State(Control::ProgressBar1);
    if (position < bar.value) {
        progressWrapped_ += bar.maximum;
    }
    progress_.Update(progressWrapped_ + position);
}
