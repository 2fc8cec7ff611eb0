// The main window's logic: its state, start-up, shutdown, settings and message routines, and
// the frame its actions run in. It reaches the screen only through a Toolkit, so it runs the same
// on Qt, on Win32 and in tests; the actions themselves run through its ActionHost side.
#pragma once

#include "app/Toolkit.h"
#include "app/actions/ActionHost.h"
#include "support/CancelToken.h"
#include "support/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class IniRun;
class TIdTrivialFTP;

using MessageButtons = std::set<MessageButton>;

// What a file dialog remembers between two runs.
struct DialogMemory {
    std::string folder;   // starting folder
    std::string fileName; // the last file chosen, full path
};

// The modifier keys held with a key press.
struct ShiftState {
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
};

class TForm1 final : public ActionHost {
public:
    // programPath: full path of the running program; the settings file and the title of plain
    // message boxes derive from it.
    TForm1(Toolkit& ui, std::string programPath);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Start-up: caption, COM list, settings, then the command-line parameters. params is the
    // program's argument vector (params[0] is the program itself).
    void FormCreate(const std::vector<std::string>& params);
    // Shutdown: saves the window settings.
    void FormClose();

    void rb2Click();
    void btnCloseClick();

    // The COM port test: the selected port is opened and closed again at once, and the list
    // turns light red when that fails. Runs on the user's selections only, not on selections
    // made from code. While the list is open it shows its normal colour.
    void cbPortChange();
    void cbPortCloseUp();
    void cbPortDropDown();
    // Wakes a device on the serial line into its file-transfer mode and shows its answer.
    void btnsetTransfermodeClick();

    // The logger actions: download and convert, convert a file on disk.
    void btnReadLoggerClick();
    void btnconvertLoggerClick();
    // Sees every key before the focused control. key is a virtual key code; it is set to 0 when
    // the key is consumed. Alt+L converts "plog.zel" beside the program into "plog.csv".
    void FormKeyDown(std::uint16_t& key, ShiftState shift);

    // Loads (write = false) or saves (write = true) the window keys of the settings file, or,
    // with windowKeys = false, reloads the logger tables CodeTexts and SelectColumns. Never fails:
    // a settings file that cannot be read or written is ignored.
    void ReadWriteSettings(bool write, bool windowKeys);
    // Sets the starting folder of the data dialogs (Put, Get, Read logger, only convert).
    void SetDialogFolder(const std::string& folder);

    // Runs a file dialog with the given title, starting in its remembered folder with its last
    // file preselected, until the user chooses an acceptable file or cancels.
    std::optional<std::string> ExecuteDialog(Dialog dialog, const std::string& title);
    DialogMemory& DialogState(Dialog dialog) {
        return dialogs_.at(static_cast<std::size_t>(dialog));
    }

    // Message routines. ShowInfo: no icon, the application title as caption. ShowWarning: the
    // warning icon, caption "Warnung". Both are placed 50 pixels right of and below the window's
    // top-left corner. AskBox is a question box placed by the system.
    void ShowInfo(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    MessageButton ShowMessageAt(const std::string& text, MessageKind kind,
                                const MessageButtons& buttons, int helpContext);
    MessageButton AskBox(const std::string& caption, const std::string& text, MessageKind kind,
                         int defaultButton, const MessageButtons& buttons);

    // The frame of every action. SetIdleState(false) makes the window busy (both groups
    // disabled, "Cancel action" shown and enabled), SetIdleState(true) idle again (normal cursor,
    // no progress bar); both start a new cancel. PrepareTransfer hands the connection to Client
    // and shows the progress bar at buttonLeft under the action's button, then the hourglass.
    void SetIdleState(bool idle);
    void PrepareTransfer(int buttonLeft);
    // The progress bar of the action's transfers, with the event processing that keeps the
    // window responsive while the client holds the thread.
    void ClientWorkBegin(std::optional<std::int64_t> total) override;
    void ClientWork(std::int64_t done) override;
    void ClientWorkEnd() override;
    void btnCancelClick();
    // Called when the window is asked to close while a handler still runs (the close arrives
    // while a transfer lets the toolkit process events; FormClose has saved the settings). The
    // running transfer is cancelled where the action allows a cancel at this point, so that the
    // handler returns promptly and the toolkit can end the program. Returns false when the
    // action must run to its end instead (an upload whose last block is out, a firmware update
    // whose image is on the device): its result is then still shown, and a box it shows must not
    // be dismissed for the close.
    bool CancelForClose();

    // The transfer actions: "Put file", "Get file", "Firmware update".
    void btnPutClick();
    void btnGetClick();
    void btnFirmwareClick();

    // The window as the host of its actions.
    std::optional<std::string> ChooseFile(Dialog dialog, const std::string& title) override;
    void RememberFolder(Dialog dialog, const std::string& folder) override;
    bool AskOverwrite(const std::string& question) override;
    // Put passes its failures on while the diagnostic log has a debug level; Get and the
    // logger buttons with the option "-ex".
    bool PassOnFailure(Action action) override;
    TIdTrivialFTP& PrepareClient(Action action) override;
    CancelToken& Cancel() override { return cancel_; }
    // Disables "Cancel action" for the rest of the action and drops a cancel not yet noticed.
    void ForbidCancel() override;
    void ShowBusy() override;
    void LetUserAct() override;
    // Reloads the logger tables from the settings file before every conversion.
    LoggerTablesRefill LoggerTables() override;

    const std::string& SettingsFile() const { return settingsFile_; }
    const std::string& ApplicationTitle() const { return applicationTitle_; }

    // The one TFTP client of the window, created at start-up (none before) and serving every
    // transfer; its clock is the window's.
    TIdTrivialFTP* Client() const { return client_.get(); }
    // The lines of the settings sections "zel-codes" and "zel-select", as name=value.
    const std::vector<std::string>& CodeTexts() const { return codeTexts_; }
    const std::vector<std::string>& SelectColumns() const { return selectColumns_; }

    // UDP port of the device for network transfers (option "-p").
    std::int32_t TargetPort = 69;
    // Silence in milliseconds that ends a packet received on the serial line (option "-f").
    std::int32_t SerialGap = 10;
    // Option "-ex": a failed action passes its exception on after its own message.
    bool ReraiseErrors = false;

private:
    void ApplyParameters(const std::vector<std::string>& params);
    void FillComPortList();
    void CreateClient();
    // Checks or unchecks a radio button from code, which runs its click handler as a click does.
    void SetRadio(Control radio, bool checked);
    void SetTimeoutSeconds(int seconds);
    void SelectComPort(int position);
    // Loads or saves the keys of section "Param", in the direction of the run.
    void ReadWriteWindowKeys(IniRun& run);
    void LoadLoggerTables(IniRun& run);
    void AfterWindowKeys();
    void TestComPort();
    // Runs an action's handler between SetIdleState(false) and SetIdleState(true); an error it
    // passes on leaves with the window idle again.
    void RunAction(const std::function<void()>& action);
    // The folder Alt+L converts in, with its trailing separator: the program's own folder, or
    // for an installed program its settings folder, as the program's folder is not writable.
    std::string ProgramFolder() const;

    Toolkit& ui_;
    std::string settingsFile_;
    std::string applicationTitle_;
    std::array<DialogMemory, kDialogCount> dialogs_;
    std::unique_ptr<TIdTrivialFTP> client_;
    std::vector<std::string> codeTexts_;
    std::vector<std::string> selectColumns_;
    // When a transfer's progress last let the toolkit process events; none yet in this run.
    std::optional<Clock::TimePoint> lastUiTick_;
    // "Cancel action" of the running action. Once forbidden the action is past its point of no
    // return: it runs to its end, and its boxes are shown even while the window closes.
    CancelToken cancel_;
};
