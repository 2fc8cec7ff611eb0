// Test kit for the simulator on a serial line: a simulator on a pseudo-terminal, in-process, and
// the client's side of the line, reached through the real port object and TFTP client.
#pragma once

#include "serial/zivud232.h"
#include "sim/SerialSimServer.h"
#include "tests/sim/SimTestKit.h"
#include "tftp/IdTrivialFTP.h"

#include <memory>
#include <string>

// The COM number the client is told; the device behind it is the simulator's line whatever the
// environment says.
inline constexpr std::int32_t kTestCom = 33;

class SerialSim {
public:
    // Fast line timing for tests: the simulator's gap 2 ms, its pause between packets 40 ms.
    explicit SerialSim(const SimFaults& faults = {}, SimSerialOptions serial = FastLine(),
                       unsigned timeoutMs = 300, unsigned retries = 2);
    // Prints the simulator's log when the test has failed.
    ~SerialSim();

    static SimSerialOptions FastLine();
    const std::string& LinePath() const { return sim_->LinePath(); }

    TempFolder folder;
    LogCapture log;

private:
    std::unique_ptr<SerialSimThread> sim_;
};

// A port object whose every COM number opens path, waiting on clock.
std::unique_ptr<TPivotobject> PortAt(const std::string& path, Clock& clock = SystemClock());

// A TFTP client on the serial line at path: reply time-out 1 s (one slice), gap 6 ms.
std::unique_ptr<TIdTrivialFTP> SerialClientAt(const std::string& path,
                                              Clock& clock = SystemClock());

// The time between two transfers. A real client's next request never follows its last packet
// within the simulator's gap (it would run into that packet on the line, and the simulator would
// not notice that the line was closed in between).
void BetweenTransfers();
