// The seam between the actions and the front end that runs them.
//
// Put, Get, Firmware update, Read zel logger, only convert, Alt+L and Set transfer mode are
// written once, with every text they show, against this interface. The window (TForm1 over its
// toolkit) implements it with dialogs, message boxes and the progress bar; quorvel-cli with the
// file named on the command line, stdout and stderr, and a progress line; a run over many devices
// with one host per device that keeps its message for the report; the fault soak with a host
// that keeps the result for its checks.
#pragma once

#include "app/actions/FileDialogs.h"
#include "logger/LoggerTables.h"

#include <cstdint>
#include <optional>
#include <string>

class CancelToken;
class TIdTrivialFTP;

// The actions as the front end tells them apart: the window shows a transfer's progress under
// the action's button and decides per action whether a failure is passed on.
enum class Action { Put, Get, Firmware, ReadLogger, ConvertLogger };

class ActionHost {
public:
    virtual ~ActionHost() = default;

    // The file an action works on, chosen by the user and checked by the dialog's rules; nothing
    // when the user cancels (or a refused choice is given up).
    virtual std::optional<std::string> ChooseFile(Dialog dialog, const std::string& title) = 0;
    // The action has settled on a file in folder: the dialog starts there next time (the four
    // data dialogs share one folder).
    virtual void RememberFolder(Dialog dialog, const std::string& folder) = 0;

    // An action's result. A CR in a text starts a new line; two give an empty line.
    virtual void ShowInfo(const std::string& text) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
    // Whether an existing file may be replaced; true only for a yes.
    virtual bool AskOverwrite(const std::string& question) = 0;
    // Whether a failure the action has shown goes on to the program's own error handling.
    virtual bool PassOnFailure(Action action) = 0;

    // The client that runs the action's transfers, with the connection handed over and the
    // progress display shown for the action.
    virtual TIdTrivialFTP& PrepareClient(Action action) = 0;
    // The action's progress in bytes. total: what the display spans, 0 when the size is not
    // known (a download does not announce it), nothing when the transfer that begins continues
    // the display of the one before. done: the action's bytes so far.
    virtual void ClientWorkBegin(std::optional<std::int64_t> total) = 0;
    virtual void ClientWork(std::int64_t done) = 0;
    virtual void ClientWorkEnd() = 0;

    // The one cancel of the running action ("Cancel action", Ctrl+C).
    virtual CancelToken& Cancel() = 0;
    // The action is past its point of no return: it runs to its end, and the user can no longer
    // cancel it.
    virtual void ForbidCancel() = 0;

    // For a wait without the client (the wake-up): the busy cursor, and a moment in which the
    // user may act (press "Cancel action").
    virtual void ShowBusy() = 0;
    virtual void LetUserAct() = 0;

    // The logger tables, read again from the settings file before every conversion.
    virtual LoggerTablesRefill LoggerTables() = 0;
};
