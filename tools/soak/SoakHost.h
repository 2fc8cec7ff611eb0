// The front end the soak runs the window's Get file and Put file through, as quorvel-cli does
// with its console: the files are named, an older file may be replaced, the result is kept, and
// each work event of the client is noted for the watchdog.
#pragma once

#include "app/actions/ActionHost.h"
#include "support/CancelToken.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

class TIdTrivialFTP;

// The device as the client is told it: the host and port, or the COM number (host empty).
struct SoakConnection {
    std::string host;
    std::int32_t port = 0;
    int timeoutSeconds = 1;
    int blockSize = 512;
};

// The last time the transfer moved data on, and the last time the client reported at all.
class SoakProgress {
public:
    using SteadyClock = std::chrono::steady_clock;

    void Start();
    void Note(std::int64_t bytes);
    SteadyClock::time_point LastData() const { return lastData_; }

private:
    std::atomic<std::int64_t> bytes_{0};
    std::atomic<SteadyClock::time_point> lastData_{};
};

class SoakHost final : public ActionHost {
public:
    SoakHost(TIdTrivialFTP& client, const SoakConnection& connection, SoakProgress& progress);

    std::optional<std::string> ChooseFile(Dialog, const std::string&) override {
        return std::nullopt;
    }
    void RememberFolder(Dialog, const std::string&) override {}
    void ShowInfo(const std::string& text) override { message_ += text; }
    void ShowWarning(const std::string& text) override { message_ += text; }
    // The soak agrees to replace an older file: what a failed transfer does to it is checked.
    bool AskOverwrite(const std::string&) override { return true; }
    bool PassOnFailure(Action) override { return false; }
    TIdTrivialFTP& PrepareClient(Action action) override;
    void ClientWorkBegin(std::optional<std::int64_t>) override {}
    void ClientWork(std::int64_t done) override { progress_.Note(done); }
    void ClientWorkEnd() override {}
    CancelToken& Cancel() override { return cancel_; }
    void ForbidCancel() override { cancel_.Forbid(); }
    void ShowBusy() override {}
    void LetUserAct() override {}
    LoggerTablesRefill LoggerTables() override { return {}; }

    // What the action showed: its success text, or its failure sentence and reason.
    const std::string& Message() const { return message_; }

private:
    TIdTrivialFTP& client_;
    SoakConnection connection_;
    SoakProgress& progress_;
    CancelToken cancel_;
    std::string message_;
};
