// The simulated device on a serial line: the same sessions as on the network, but one transfer
// at a time and no ports. A packet is what arrives until the line falls silent for the gap, and
// the device answers only after that. A new request ends the transfer before it.
//
// While no transfer runs, the line also takes the transfer-mode wake-up, the character "&" three
// times in a row, which the device answers with kWakeUpAnswer.
#pragma once

#include "sim/LineFraming.h"
#include "sim/SimFolder.h"
#include "sim/SimLine.h"
#include "sim/SimOptions.h"
#include "sim/SimService.h"
#include "sim/SimTransfer.h"

#include <atomic>
#include <memory>
#include <string>

class SerialSimServer : public SimService {
public:
    // options.serial must be set. Throws std::runtime_error when the folder is missing.
    SerialSimServer(SimOptions options, std::unique_ptr<SimLine> line);

    // The device the client opens.
    const std::string& LinePath() const { return line_->Path(); }

    void Serve() override;
    void Stop() override { stopRequested_ = true; }

private:
    void OnPacket(const std::string& packet);
    void OnRequest(const std::string& packet);
    void OnIdlePacket(const std::string& packet);
    void OnHangUp();
    void EndTransfer(const std::string& why);
    // Sends the packets of the running transfer.
    SimTransfer::Send Sender();
    // Sends an answer outside a transfer.
    void Put(const std::string& bytes);
    void Log(const std::string& line) const;

    SimOptions options_;
    SimSerialOptions serial_;
    SimFolder folder_;
    std::unique_ptr<SimLine> line_;
    LineLink link_;
    std::unique_ptr<SimTransfer> transfer_;
    unsigned nextId_ = 0;
    // "&" characters seen in a row while no transfer runs.
    std::size_t wakeUpCount_ = 0;
    bool inTransferMode_;
    std::atomic<bool> stopRequested_{false};
};

// A serial simulator on a pseudo-terminal, serving on a thread of its own while this object
// lives.
class SerialSimThread {
public:
    explicit SerialSimThread(SimOptions options);

    const std::string& LinePath() const { return server_.LinePath(); }

private:
    SerialSimServer server_;
    ServiceThread thread_{server_};
};
