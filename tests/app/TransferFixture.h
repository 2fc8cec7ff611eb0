// The window's transfer actions against the device simulator, served in-process on the loopback
// address. The window's host is 127.0.0.1 and its target port the simulator's before any action
// runs; a transfer that would go anywhere else is stopped before its first datagram.
#pragma once

#include "app/FormFixture.h"
#include "sim/SimServer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using enum Control;

// The progress bar and the client's flag as one event processing saw them.
struct UiSnapshot {
    int position = 0;
    int maximum = 0;
    std::int32_t carry = 0;
    bool cancelEnabled = false;
    std::uint32_t tick = 0;
};

class TransferTest : public FormTest {
protected:
    void SetUp() override;
    // Switches off a diagnostic log a test may have started.
    void TearDown() override;

    // Serves the device folder with these faults from now on (a new simulator, a new port).
    void DeviceMisbehaves(const SimFaults& faults);
    // The reply time-out of the window, in seconds.
    void SetTimeout(int seconds) { ui->SetValue(seTO, seconds); }

    // A file of the given size in the data folder; its path.
    std::string DataFile(const std::string& name, std::size_t size) const;
    std::string DeviceFile(const std::string& name) const;
    bool OnDevice(const std::string& name) const;

    // Runs step the first time events are processed at least 500 ms after the action's first
    // event processing: with a silent device the client is waiting then.
    void DuringSilentWait(std::function<void()> step);
    void CancelDuringSilentWait() {
        DuringSilentWait([this] { form->btnCancelClick(); });
    }
    // The snapshot of the event processing that ran the step (-1 before it ran), and the
    // milliseconds from the step to the action's last message.
    std::ptrdiff_t StepSnapshot() const { return stepSnapshot_; }
    std::uint32_t StepToMessageMs() const { return messageTick_ - stepTick_; }
    // Points the window at a port where nothing ever answers.
    void DeviceIsMute();

    void ExpectIdle() const;
    const MessageRequest& OnlyMessage() const;

    fs::path deviceFolder = folder.Path() / "device";
    fs::path data = folder.Path() / "data";
    std::unique_ptr<SimServerThread> device;
    std::optional<UdpSocket> mute;
    // One per event processing during an action, taken after what the test did in it.
    std::vector<UiSnapshot> snapshots;

private:
    void OnProcessEvents();

    std::optional<std::uint32_t> firstEventTick_;
    std::function<void()> duringWait_;
    std::uint32_t stepTick_ = 0;
    std::ptrdiff_t stepSnapshot_ = -1;
    std::uint32_t messageTick_ = 0;
};

// Deterministic content of a given size.
std::string Pattern(std::size_t size);

// The device misbehaving: silent after DATA or ACK block (0: after its first answer), or
// answering the request with an ERROR packet.
SimFaults SilentAfter(unsigned block);
SimFaults RefusesWith(std::uint16_t code, const std::string& text);
