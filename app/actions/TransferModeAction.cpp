// "Set transfer mode": wakes a device on the serial line into its file-transfer mode, with the
// character "&" three times, and shows its answer.
//
// It uses a short-lived serial port object of its own; the TFTP client's port object is closed
// between transfers, so the port is free for it.
#include "app/actions/Actions.h"

#include "serial/zivud232.h"
#include "support/CancelToken.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

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

// Sends the wake-up and listens for the answer; empty when none came or the user cancelled.
std::string WakeUpDevice(ActionHost& host, TPivotobject& port, int timeoutSeconds) {
    for (int i = 0; i < kWakeUpCount; ++i) {
        port.SendPacket("&");
        std::this_thread::sleep_for(kWakeUpPause);
    }
    // Any answer counts; a cancelled wait ends like one that heard nothing.
    std::string answer;
    const int slices = timeoutSeconds * kSlicesPerSecond;
    for (int slice = 0; slice < slices; ++slice) {
        host.LetUserAct();
        port.ReceivePacket(kAnswerMaxLength, kSliceFirstByteMs, kSliceGapMs, answer);
        if (!answer.empty() || host.Cancel().Requested()) {
            break;
        }
    }
    return answer;
}

} // namespace

bool SetTransferMode(ActionHost& host, int comPort, int timeoutSeconds) {
    // Freed only after the result has been shown: the port stays held until then.
    TPivotobject port;
    try {
        if (!port.OpenPort(comPort, kWakeUpBaud, 'n')) {
            throw std::runtime_error("Unable to open RS232port COM" + std::to_string(comPort));
        }
        host.ShowBusy();
        const std::string answer = WakeUpDevice(host, port, timeoutSeconds);
        host.ShowInfo(answer.empty() ? kTransferModeFailed : answer);
        return !answer.empty();
    } catch (const std::exception& error) {
        host.ShowWarning(kTransferModeFailed + "\r\r" + error.what());
        return false;
    }
}
