// The window's two uses of the serial line without TFTP: the test of a COM port the user picks,
// and the wake-up that switches a device on the line into its file-transfer mode.
//
// Both use a short-lived serial port object of their own. The TFTP client's port object is
// closed between transfers, so the port is free for them.
#include "app/Main.h"

#include "serial/zivud232.h"
#include "tftp/IdTrivialFTP.h"

#include <chrono>
#include <stdexcept>

namespace {

// The port test only asks whether the port opens; the speed is of no consequence.
constexpr std::int32_t kTestBaud = 9600;

// The device listens for its wake-up at the speed of the TFTP line.
constexpr std::int32_t kWakeUpBaud = 115200;
constexpr int kWakeUpCount = 3;
constexpr auto kWakeUpPause = std::chrono::milliseconds(50);

// The wait for the answer is cut into slices of about 100 ms, so that the window repaints and
// notices "Cancel action" about ten times a second.
constexpr int kSlicesPerSecond = 10;
constexpr std::int32_t kAnswerMaxLength = 999;
constexpr std::int32_t kSliceFirstByteMs = 100;
constexpr std::int32_t kSliceGapMs = 100;

const std::string kTransferModeFailed = "Start of Transfer mode failed!";

} // namespace

void TForm1::cbPortChange() {
    TestComPort();
}

void TForm1::cbPortCloseUp() {
    TestComPort();
}

void TForm1::cbPortDropDown() {
    // The list is shown in its normal colour while the user chooses.
    ui_.SetColour(Control::cbPort, Colour::Window);
}

void TForm1::TestComPort() {
    TPivotobject port;
    const bool opened = port.OpenPort(ui_.Value(Control::cbPort) + 1, kTestBaud, 'n');
    ui_.SetColour(Control::cbPort, opened ? Colour::Window : Colour::LightRed);
}

void TForm1::btnsetTransfermodeClick() {
    SetIdleState(false);
    const std::int32_t number = ui_.Value(Control::cbPort) + 1;
    {
        // Freed only after the result has been shown: the port stays held until then. It waits
        // on the client's clock, as the client's own serial line does.
        TPivotobject port(*Client->TimeSource);
        try {
            if (!port.OpenPort(number, kWakeUpBaud, 'n')) {
                throw std::runtime_error("Unable to open RS232port COM" + std::to_string(number));
            }
            ui_.SetCursor(Cursor::Hourglass);
            const std::string answer = WakeUpDevice(port);
            ShowInfo(answer.empty() ? kTransferModeFailed : answer);
        } catch (const std::exception& error) {
            ShowWarning(kTransferModeFailed + "\r\r" + error.what());
        }
    }
    SetIdleState(true);
}

std::string TForm1::WakeUpDevice(TPivotobject& port) {
    for (int i = 0; i < kWakeUpCount; ++i) {
        port.SendPacket("&");
        Client->TimeSource->Sleep(kWakeUpPause);
    }
    // Any answer counts; a cancelled wait ends like one that heard nothing.
    std::string answer;
    const int slices = ui_.Value(Control::seTO) * kSlicesPerSecond;
    for (int slice = 0; slice < slices; ++slice) {
        ui_.ProcessEvents();
        port.ReceivePacket(kAnswerMaxLength, kSliceFirstByteMs, kSliceGapMs, answer);
        if (!answer.empty() || Client->CancelRequested) {
            break;
        }
    }
    return answer;
}
