// The window's transfer actions against the device simulator, served in-process on the loopback
// address. The window's host is 127.0.0.1 and its target port the simulator's before any action
// runs; a transfer headed anywhere else is stopped before its first datagram.
#pragma once

#include "sim/SimServer.h"
#include "support/Tr_Util.h"
#include "tests/app/FormFixture.h"
#include "tests/kit/Bytes.h"
#include "tests/kit/FakeClock.h"
#include "tests/kit/TestEnvironment.h"

#include <functional>
#include <memory>
#include <optional>

using enum Control;

// The progress bar and the cancel button as one event processing left them.
struct UiSnapshot {
    int position;
    int maximum;
    bool cancelEnabled;
    bool cancelForbidden; // past the point of no return
    std::uint32_t tick;
};

// The simulator answers at once if at all: a reply slice in which it stays silent ends after this
// much real time where a test expects silence.
inline constexpr FakeClock::Duration kSilentSlice(250);

class TransferTest : public FormTest {
protected:
    void SetUp() override;
    void TearDown() override; // switches off a diagnostic log a test started

    // A new simulator with these faults, or a port where nothing ever answers.
    void DeviceMisbehaves(const SimFaults& faults);
    void DeviceIsMute();
    // Runs step at the first event processing at least 500 ms into the action: with a silent
    // device the client is waiting then.
    void DuringSilentWait(std::function<void()> step) {
        pauses.LimitRealWaits(kSilentSlice);
        duringWait_ = std::move(step);
    }

    // Starts the diagnostic log beside the program with a marker file: "DEBUG1" logs without a
    // debug level, "DEBUG" holding "1" sets one (and so makes Put pass its errors on).
    void StartLog(const std::string& marker, const std::string& content = "") const;

    // A file of the given size in the data folder; its path.
    std::string DataFile(const std::string& name, std::size_t size) const;
    // The text of the action's one message.
    const std::string& Message() const;
    void ExpectIdle() const;

    // The window's clock: pauses (the one before a firmware companion) pass at once, waits for
    // the simulator are real (shortened where the device is silent).
    FakeClock pauses{FakeClock::SystemWaits::Real};
    fs::path device = folder.Path() / "device";
    fs::path data = folder.Path() / "data";
    std::vector<UiSnapshot> snapshots; // one per event processing
    std::ptrdiff_t stepSnapshot = -1;  // the processing that ran the step
    std::uint32_t stepToMessageMs = 0; // from the step to the last message

private:
    void OnProcessEvents();

    std::unique_ptr<SimServerThread> server_;
    std::optional<UdpSocket> mute_;
    std::function<void()> duringWait_;
    std::uint32_t stepTick_ = 0;
};

SimFaults SilentAfter(unsigned block); // 0: after the first answer
SimFaults RefusesWith(std::uint16_t code, const std::string& text);
