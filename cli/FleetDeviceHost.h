// The actions for one device of a run over many: the host each device's action runs through.
//
// The device has a client, a cancel and a connection of its own, and shares nothing with the
// other devices' hosts: each runs on its own worker thread. What the action shows is kept, not
// printed: the one message of its outcome, as quorvel-cli would print it for this device alone,
// goes into the report. No question can be asked of a technician for each of many devices: an
// existing file is replaced only with --yes, otherwise the device fails with the question and
// the note that --yes replaces it, before anything is sent to it.
#pragma once

#include "app/actions/ActionHost.h"
#include "cli/TransferSettings.h"
#include "support/CancelToken.h"
#include "support/Clock.h"
#include "tftp/IdTrivialFTP.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

class FleetDeviceHost final : public ActionHost {
public:
    // connection: the device, the reply time-out and --yes. settingsFile: where the logger tables
    // are read, before every conversion.
    FleetDeviceHost(const TransferSettings& connection, std::string settingsFile, Clock& clock);

    // The file the action's file choice gets, as the command line names it for the device.
    void OfferFile(std::string path) { chosenFile_ = std::move(path); }

    std::optional<std::string> ChooseFile(Dialog dialog, const std::string& title) override;
    void RememberFolder(Dialog, const std::string&) override {}
    void ShowInfo(const std::string& text) override { message_ = text; }
    void ShowWarning(const std::string& text) override { message_ = text; }
    bool AskOverwrite(const std::string& question) override;
    bool PassOnFailure(Action) override { return false; }
    TIdTrivialFTP& PrepareClient(Action action) override;
    void ClientWorkBegin(std::optional<std::int64_t>) override {}
    void ClientWork(std::int64_t done) override { bytes_ = done; }
    void ClientWorkEnd() override {}
    CancelToken& Cancel() override { return cancel_; }
    void ForbidCancel() override { cancel_.Forbid(); }
    void ShowBusy() override {}
    void LetUserAct() override {}
    LoggerTablesRefill LoggerTables() override;

    // The action's last message (a CR starts a new line); empty before it has shown one.
    const std::string& Message() const { return message_; }
    // The action's bytes so far; read by the thread that shows the run's progress.
    std::int64_t Bytes() const { return bytes_; }

private:
    TransferSettings connection_;
    std::string settingsFile_;
    std::optional<std::string> chosenFile_;
    std::string message_;
    std::atomic<std::int64_t> bytes_{0};
    TIdTrivialFTP client_;
    CancelToken cancel_;
};
