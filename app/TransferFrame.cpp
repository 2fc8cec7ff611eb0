// The frame every transfer runs in: the busy and idle states of the window, handing the
// connection over to the TFTP client, the progress bar driven by the client's work events, and
// the cancel button.
//
// The client blocks the window's only thread for the whole transfer. The window gets control
// back only inside the work events, so that is where it lets the toolkit process pending input
// (at most every 250 ms, and once when the work begins): the cancel button, the close box, the
// Esc key and repainting all depend on it.
#include "app/Main.h"

#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <limits>

namespace {

// Events are processed from the progress handler at most this often.
constexpr std::uint32_t kUiIntervalMs = 250;

// A download does not announce its size: the bar counts on this many bytes and starts over.
constexpr int kDownloadBarMaximum = 10000;

constexpr int kProgressBarTop = 45;

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
    cancelPressed_ = false;
    mustFinish_ = false;
    if (Client) {
        Client->CancelRequested = false;
    }
}

void TForm1::PrepareTransfer(int buttonLeft) {
    if (ui_.Checked(Control::rb2)) {
        // An empty host sends the packets raw over the serial line.
        Client->Host.clear();
        Client->Port = ui_.Value(Control::cbPort) + 1;
        Client->SerialGapTimeout = SerialGap;
    } else {
        if (ui_.Text(Control::eIP).empty()) {
            ui_.SetText(Control::eIP, std::string(kFactoryAddress));
        }
        Client->Host = ui_.Text(Control::eIP);
        Client->Port = TargetPort;
    }
    Client->ReceiveTimeout = ui_.Value(Control::seTO) * 1000;
    Client->RequestedBlockSize = 512;
    Client->OnWorkBegin = [this](TIdComponent* sender, TWorkMode mode, std::int64_t max) {
        ClientWorkBegin(sender, mode, max);
    };
    Client->OnWork = [this](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        ClientWork(sender, mode, count);
    };
    Client->OnWorkEnd = [this](TIdComponent* sender, TWorkMode mode) {
        ClientWorkEnd(sender, mode);
    };

    // Under the action's button; all action buttons are as wide as "Put file".
    Bounds bar = ui_.GetBounds(Control::ProgressBar1);
    bar.left = buttonLeft;
    bar.top = kProgressBarTop;
    bar.width = ui_.GetBounds(Control::btnPut).width;
    ui_.SetBounds(Control::ProgressBar1, bar);
    ui_.SetValue(Control::ProgressBar1, 0);
    ui_.SetVisible(Control::ProgressBar1, true);
    ProgressCarry = 0;

    // Paints the bar and the disabled groups before the client takes the thread.
    ui_.ProcessEvents();
    ui_.SetCursor(Cursor::Hourglass);
}

void TForm1::ClientWorkBegin(TIdComponent* /*Sender*/, TWorkMode AWorkMode,
                             std::int64_t AWorkCountMax) {
    WriteLog("WorkBeginEvent " + std::to_string(static_cast<int>(AWorkMode)) + " " +
             std::to_string(AWorkCountMax));
    // The client clears its flag as the transfer starts; a cancel given while PrepareTransfer
    // let events through still counts.
    if (cancelPressed_) {
        Client->CancelRequested = true;
    }
    if (AWorkCountMax == 0) {
        ui_.SetMaximum(Control::ProgressBar1, kDownloadBarMaximum);
    } else if (ProgressCarry >= 0) {
        // One more than the bytes to come, so a finished upload stops one short of full.
        ui_.SetMaximum(Control::ProgressBar1, BarMaximum(ProgressCarry + AWorkCountMax + 1));
    }
    ui_.ProcessEvents();
}

void TForm1::ClientWork(TIdComponent* /*Sender*/, TWorkMode /*AWorkMode*/,
                        std::int64_t AWorkCount) {
    WriteLog("WorkEvent " + std::to_string(AWorkCount));
    // A negative carry is the part of the bar an earlier upload of the same action has filled.
    const std::int64_t shown = AWorkCount + (ProgressCarry < 0 ? -std::int64_t{ProgressCarry} : 0);
    const int maximum = ui_.Maximum(Control::ProgressBar1);
    ui_.SetValue(Control::ProgressBar1, maximum > 0 ? static_cast<int>(shown % maximum) : 0);
    if (TickDiff(LastUiTick) > kUiIntervalMs) {
        ui_.ProcessEvents();
        LastUiTick = TickCount();
    }
}

void TForm1::ClientWorkEnd(TIdComponent* /*Sender*/, TWorkMode /*AWorkMode*/) {
    // The bar stays where it is until the window goes idle.
    WriteLog("WorkEndEvent ");
}

void TForm1::btnCancelClick() {
    // The client notices the flag at the end of its current one-second wait.
    cancelPressed_ = true;
    Client->CancelRequested = true;
    ui_.SetEnabled(Control::btnCancel, false);
    ui_.Repaint(Control::btnCancel);
}

void TForm1::ForbidCancel() {
    mustFinish_ = true;
    cancelPressed_ = false;
    Client->CancelRequested = false;
    ui_.SetEnabled(Control::btnCancel, false);
}

bool TForm1::CancelForClose() {
    // Only where the user could cancel as well: a firmware update past its point of no return
    // runs to its end first.
    if (mustFinish_) {
        return false;
    }
    if (ui_.Visible(Control::btnCancel) && ui_.Enabled(Control::btnCancel)) {
        btnCancelClick();
    }
    return true;
}
