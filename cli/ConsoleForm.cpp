#include "cli/ConsoleForm.h"

#include "support/Save_Err.h"

#include <utility>

ConsoleForm::ConsoleForm(CliIo& io, ConsoleAnswers answers, const std::string& settingsFile)
    : ui_(io, std::move(answers)), form_(ui_, ProgramPath()) {
    form_.CreateWithoutWindow(settingsFile);
    ui_.AttachCancel(*form_.Client, [this] { form_.btnCancelClick(); });
}

ConsoleForm::~ConsoleForm() {
    // Ctrl+C must not reach the client once it is gone.
    ui_.DetachCancel();
}

void ConsoleForm::Connect(const TransferSettings& settings) {
    const bool serial = settings.comPort > 0;
    ui_.SetChecked(serial ? Control::rb2 : Control::rb1, true);
    form_.rb2Click();
    if (serial) {
        // List position N-1 stands for COM N.
        ui_.SetValue(Control::cbPort, settings.comPort - 1);
        form_.SerialGap = settings.gapMs;
    } else {
        ui_.SetText(Control::eIP, settings.host);
        form_.TargetPort = settings.port;
    }
    ui_.SetValue(Control::seTO, settings.timeoutSeconds);
}
