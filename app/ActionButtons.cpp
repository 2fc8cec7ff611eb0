// The window's action buttons and the shortcut Alt+L: each runs its action, written once in
// app/actions, with the window as its host and, for the buttons, inside the busy frame.
#include "app/Main.h"

#include "app/actions/ActionFiles.h"
#include "app/actions/Actions.h"
#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

namespace {

// Virtual key code of the letter L.
constexpr std::uint16_t kKeyL = 76;

} // namespace

void TForm1::RunAction(const std::function<void()>& action) {
    SetIdleState(false);
    try {
        action();
    } catch (...) {
        // Passed on for the program's own handling; the window must not stay busy behind it.
        SetIdleState(true);
        throw;
    }
    SetIdleState(true);
}

void TForm1::btnPutClick() {
    RunAction([this] { RunPut(*this); });
}

void TForm1::btnGetClick() {
    RunAction([this] { RunGet(*this); });
}

void TForm1::btnFirmwareClick() {
    RunAction([this] { RunFirmwareUpdate(*this); });
}

void TForm1::btnReadLoggerClick() {
    RunAction([this] { RunReadLogger(*this); });
}

void TForm1::btnconvertLoggerClick() {
    RunAction([this] { RunConvertLogger(*this); });
}

void TForm1::btnsetTransfermodeClick() {
    RunAction([this] {
        // On the client's clock, as the client's own serial line.
        SetTransferMode(*this, ui_.Value(Control::cbPort) + 1, ui_.Value(Control::seTO),
                        *client_->TimeSource);
    });
}

void TForm1::FormKeyDown(std::uint16_t& key, ShiftState shift) {
    if (key != kKeyL || !shift.alt || shift.shift || shift.ctrl) {
        return;
    }
    // Consumed whether or not there is a file to convert, and also when the conversion fails
    // with an error, which goes on to the application's own handling.
    key = 0;
    // While an action runs (its groups are disabled) the window only processes events between
    // receive slices; a conversion with its message box started from there would hold the
    // running transfer until the box is closed, long enough for the device to give up.
    if (ui_.Enabled(Control::GroupBox2)) {
        ConvertBesideProgram(*this, ProgramFolder());
    }
}

bool TForm1::PassOnFailure(Action action) {
    return action == Action::Put ? DebugOn() : ReraiseErrors;
}

LoggerTablesRefill TForm1::LoggerTables() {
    return [this](std::vector<std::string>& codeTexts, std::vector<std::string>& selectColumns) {
        ReadWriteSettings(false, false);
        codeTexts = codeTexts_;
        selectColumns = selectColumns_;
    };
}

std::string TForm1::ProgramFolder() const {
    // The settings file lies beside the program, unless the program is installed.
    return FolderOf(settingsFile_);
}
