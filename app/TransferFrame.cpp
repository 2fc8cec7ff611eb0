// The frame every action runs in: the busy and idle states of the window, handing the connection
// over to the TFTP client, the progress bar driven by the action's transfers, and the cancel
// button.
//
// The client blocks the window's only thread for the whole transfer. The window gets control
// back only inside the work events, so that is where it lets the toolkit process pending input
// (at most every 250 ms, and once when the work begins): the cancel button, the close box, the
// Esc key and repainting all depend on it.
#include "app/Main.h"

#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <limits>

namespace {

// Events are processed from the progress handler at most this often.
constexpr Clock::Duration kUiInterval(250);

// A download does not announce its size: the bar counts on this many bytes and starts over.
constexpr int kDownloadBarMaximum = 10000;

constexpr int kProgressBarTop = 45;

// The button under which an action shows its progress.
Control ActionButton(Action action) {
    switch (action) {
    case Action::Put:
        return Control::btnPut;
    case Action::Get:
        return Control::btnGet;
    case Action::Firmware:
        return Control::btnFirmware;
    case Action::ReadLogger:
        return Control::btnReadLogger;
    case Action::ConvertLogger:
        break;
    }
    return Control::btnconvertLogger;
}

// A maximum the progress bar can hold; a file close to 2 GiB plus its companion would not fit.
int BarMaximum(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 1, std::numeric_limits<int>::max()));
}

} // namespace

void TForm1::SetIdleState(bool idle) {
    ui_.SetEnabled(Control::GroupBox1, idle);
    ui_.SetEnabled(Control::GroupBox2, idle);
    if (idle) {
        ui_.SetCursor(Cursor::Arrow);
        ui_.SetVisible(Control::ProgressBar1, false);
    }
    ui_.SetVisible(Control::btnCancel, !idle);
    // Undoes a cancel of the previous action.
    ui_.SetEnabled(Control::btnCancel, true);
    cancel_.Reset();
}

void TForm1::PrepareTransfer(int buttonLeft) {
    if (ui_.Checked(Control::rb2)) {
        // An empty host sends the packets raw over the serial line.
        client_->Host.clear();
        client_->Port = ui_.Value(Control::cbPort) + 1;
        client_->SerialGapTimeout = SerialGap;
    } else {
        if (ui_.Text(Control::eIP).empty()) {
            ui_.SetText(Control::eIP, std::string(kFactoryAddress));
        }
        client_->Host = ui_.Text(Control::eIP);
        client_->Port = TargetPort;
    }
    client_->ReceiveTimeout = ui_.Value(Control::seTO) * 1000;
    client_->RequestedBlockSize = 512;

    // Under the action's button; all action buttons are as wide as "Put file".
    Bounds bar = ui_.GetBounds(Control::ProgressBar1);
    bar.left = buttonLeft;
    bar.top = kProgressBarTop;
    bar.width = ui_.GetBounds(Control::btnPut).width;
    ui_.SetBounds(Control::ProgressBar1, bar);
    ui_.SetValue(Control::ProgressBar1, 0);
    ui_.SetVisible(Control::ProgressBar1, true);

    // Paints the bar and the disabled groups before the client takes the thread.
    ui_.ProcessEvents();
    ui_.SetCursor(Cursor::Hourglass);
}

TIdTrivialFTP& TForm1::PrepareClient(Action action) {
    PrepareTransfer(ui_.GetBounds(ActionButton(action)).left);
    return *client_;
}

void TForm1::ClientWorkBegin(std::optional<std::int64_t> total) {
    if (total == 0) {
        ui_.SetMaximum(Control::ProgressBar1, kDownloadBarMaximum);
    } else if (total) {
        // One more than the bytes to come, so a finished upload stops one short of full.
        ui_.SetMaximum(Control::ProgressBar1, BarMaximum(*total + 1));
    }
    ui_.ProcessEvents();
}

void TForm1::ClientWork(std::int64_t done) {
    const int maximum = ui_.Maximum(Control::ProgressBar1);
    ui_.SetValue(Control::ProgressBar1, maximum > 0 ? static_cast<int>(done % maximum) : 0);
    // On the client's clock, which is the window's.
    const Clock& clock = *client_->TimeSource;
    if (!lastUiTick_ || clock.Now() - *lastUiTick_ > kUiInterval) {
        ui_.ProcessEvents();
        lastUiTick_ = clock.Now();
    }
}

void TForm1::ClientWorkEnd() {
    // The bar stays where it is until the window goes idle.
}

void TForm1::btnCancelClick() {
    // The client notices the request at the end of its current one-second wait.
    cancel_.Request();
    ui_.SetEnabled(Control::btnCancel, false);
    ui_.Repaint(Control::btnCancel);
}

void TForm1::ForbidCancel() {
    cancel_.Forbid();
    ui_.SetEnabled(Control::btnCancel, false);
}

void TForm1::ShowBusy() {
    ui_.SetCursor(Cursor::Hourglass);
}

void TForm1::LetUserAct() {
    ui_.ProcessEvents();
}

bool TForm1::CancelForClose() {
    // Only where the user could cancel as well: a firmware update past its point of no return
    // runs to its end first.
    if (cancel_.Forbidden()) {
        return false;
    }
    if (ui_.Visible(Control::btnCancel) && ui_.Enabled(Control::btnCancel)) {
        btnCancelClick();
    }
    return true;
}
