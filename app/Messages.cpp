// The window's message routines: the placed message box of every action's result, and the
// question box of the overwrite checks.
#include "app/Main.h"

#include <algorithm>

namespace {

using enum MessageButton;

// Captions of the placed message box; the toolkit the tool was designed with speaks German.
std::string KindCaption(MessageKind kind, const std::string& applicationTitle) {
    switch (kind) {
    case MessageKind::Warning:
        return "Warnung";
    case MessageKind::Error:
        return "Fehler";
    case MessageKind::Information:
        return "Information";
    case MessageKind::Confirmation:
        return "Bestätigen";
    case MessageKind::Custom:
        break;
    }
    return applicationTitle;
}

// The question box knows a fixed list of button combinations; any other set shows OK.
std::vector<MessageButton> QuestionButtons(const MessageButtons& buttons) {
    const std::vector<std::vector<MessageButton>> combinations{
        {Ok}, {Ok, Cancel}, {Yes, No}, {Yes, No, Cancel}, {Retry, Cancel}, {Abort, Retry, Ignore}};
    for (const auto& combination : combinations) {
        if (MessageButtons(combination.begin(), combination.end()) == buttons) {
            return combination;
        }
    }
    return {Ok};
}

} // namespace

void TForm1::ShowInfo(const std::string& text) {
    ShowMessageAt(text, MessageKind::Custom, {Ok}, 0);
}

void TForm1::ShowWarning(const std::string& text) {
    ShowMessageAt(text, MessageKind::Warning, {Ok}, 0);
}

MessageButton TForm1::ShowMessageAt(const std::string& text, MessageKind kind,
                                    const MessageButtons& buttons, int /*helpContext*/) {
    MessageRequest request{KindCaption(kind, applicationTitle_), text, kind,
                           std::vector<MessageButton>(buttons.begin(), buttons.end())};
    // A firmware update that could not be cancelled any more ends with the warning not to cut
    // the power (or with its failure): a close that came meanwhile must not hide it.
    request.evenWhileClosing = cancel_.Forbidden();
    if (request.buttons.empty()) {
        request.buttons.push_back(Ok);
    }
    // The default is the affirmative button of the set, else the first.
    for (MessageButton preferred : {Ok, Yes, Retry}) {
        const auto it = std::ranges::find(request.buttons, preferred);
        if (it != request.buttons.end()) {
            request.defaultButton = static_cast<std::size_t>(it - request.buttons.begin());
            break;
        }
    }
    // 50 pixels right of and below the window's corner; a coordinate that would fall off the
    // screen's top or left is left to the toolkit, which then centres the box on that axis.
    const Bounds window = ui_.GetBounds(Control::Form1);
    if (window.left + 50 >= 0) {
        request.left = window.left + 50;
    }
    if (window.top + 50 >= 0) {
        request.top = window.top + 50;
    }
    return ui_.ShowMessage(request);
}

MessageButton TForm1::AskBox(const std::string& caption, const std::string& text, MessageKind kind,
                             int defaultButton, const MessageButtons& buttons) {
    MessageRequest request{caption, text, kind, QuestionButtons(buttons)};
    request.systemPlaced = true;
    if (defaultButton >= 2 && defaultButton <= 4 &&
        static_cast<std::size_t>(defaultButton) <= request.buttons.size()) {
        request.defaultButton = static_cast<std::size_t>(defaultButton - 1);
    }
    const MessageButton answer = ui_.ShowMessage(request);
    // Anything but a button of the box counts as cancel.
    return std::ranges::find(request.buttons, answer) != request.buttons.end()
               ? answer
               : MessageButton::Cancel;
}

bool TForm1::AskOverwrite(const std::string& question) {
    return AskBox("Question", question, MessageKind::Confirmation, 0, {Yes, No}) == Yes;
}
