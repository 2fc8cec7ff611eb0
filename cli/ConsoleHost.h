// The actions on a console, as quorvel-cli runs them.
//
// The file named on the command line stands for the file dialog's choice (checked by the
// dialog's rules). Information goes to stdout, warnings to stderr, each CR a line break. The
// overwrite question is answered by --yes, else by a "y" typed at a terminal, else no. A
// transfer's progress is a line on a terminal's stderr, and Ctrl+C is the cancel.
#pragma once

#include "app/actions/ActionHost.h"
#include "cli/Cancel.h"
#include "cli/CliIo.h"
#include "cli/ProgressLine.h"
#include "cli/TransferSettings.h"
#include "support/CancelToken.h"
#include "tftp/IdTrivialFTP.h"

#include <optional>
#include <string>

// What follows the overwrite question when no yes can come: the one question the actions ask is
// whether to replace a file.
inline constexpr const char* kOverwriteRefusalNote = "Not overwritten; add --yes to replace it.";

// The file named on the command line as an action's file choice, checked by the dialog's rules:
// nothing when there is none, or when the rules refuse it (problem then says why).
std::optional<std::string> CommandLineChoice(Dialog dialog, std::optional<std::string> path,
                                             std::string& problem);

class ConsoleHost final : public ActionHost {
public:
    // chosenFile: the answer of the action's file choice, if it makes one. connection: the
    // device and the answers (--yes, --quiet). settingsFile: where the logger tables are read,
    // for the commands that convert.
    ConsoleHost(CliIo& io, std::optional<std::string> chosenFile,
                const TransferSettings& connection, std::string settingsFile);

    std::optional<std::string> ChooseFile(Dialog dialog, const std::string& title) override;
    void RememberFolder(Dialog, const std::string&) override {}
    void ShowInfo(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    bool AskOverwrite(const std::string& question) override;
    bool PassOnFailure(Action) override { return false; }
    TIdTrivialFTP& PrepareClient(Action action) override;
    void ClientWorkBegin(std::optional<std::int64_t> total) override;
    void ClientWork(std::int64_t done) override;
    void ClientWorkEnd() override {}
    CancelToken& Cancel() override { return cancel_; }
    void ForbidCancel() override { cancel_.Forbid(); }
    void ShowBusy() override {}
    void LetUserAct() override {}
    LoggerTablesRefill LoggerTables() override;

private:
    // Tells once that a Ctrl+C came when the action could no longer be cancelled.
    void NoteRefusedCancel();
    void Print(std::ostream& out, const std::string& text);

    CliIo& io_;
    std::optional<std::string> chosenFile_;
    TransferSettings connection_;
    std::string settingsFile_;
    TIdTrivialFTP client_;
    ProgressLine progress_;
    CancelToken cancel_;
    CancelScope cancelScope_{cancel_};
    bool refusalNoted_ = false;
};
