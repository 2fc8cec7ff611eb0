#include "app/Main.h"

#include "app/ProgramFiles.h"
#include "serial/ComPortMap.h"
#include "serial/SerialDevice.h"
#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>

TForm1::TForm1(Toolkit& ui, std::string programPath)
    : ui_(ui), settingsFile_(SettingsPath(programPath)),
      applicationTitle_(::ApplicationTitle(programPath)) {}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const std::vector<std::string>& params) {
    // Every line of a transfer's progress is wanted in the log, repeats included.
    SetSuppressRepeats(false);
    ui_.SetText(Control::Form1, std::string(kCaption));
    if (DebugOn()) {
        // An installed window keeps it in the user's configuration folder, not beside itself.
        WriteLog("Settings file " + settingsFile_);
    }
    // The COM numbers the settings file points at USB adapters, before the list shows them.
    LoadComPortMap(settingsFile_);
    FillComPortList();

    codeTexts_.clear();
    selectColumns_.clear();
    ReadWriteSettings(false, true);

    CreateClient();
    ApplyParameters(params);
}

void TForm1::FillComPortList() {
    std::vector<std::string> ports;
    for (int number = 1; number <= kComPortCount; ++number) {
        ports.push_back("COM " + std::to_string(number));
    }
    ui_.SetItems(Control::cbPort, ports);
    // A technician picks an adapter by the device it is, not by its COM number.
    for (int position = 0; position < kComPortCount; ++position) {
        ui_.SetItemHint(Control::cbPort, position, ComDeviceName(position + 1));
    }
}

void TForm1::CreateClient() {
    // Its connection settings and event handlers are handed over before each transfer.
    client_ = std::make_unique<TIdTrivialFTP>();
    TargetPort = 69;
    SerialGap = 10;
}

void TForm1::FormClose() {
    ReadWriteSettings(true, true);
}

void TForm1::rb2Click() {
    // Waking a device into transfer mode only makes sense on the serial line.
    ui_.SetEnabled(Control::btnsetTransfermode, ui_.Checked(Control::rb2));
}

void TForm1::btnCloseClick() {
    ui_.CloseWindow();
}

void TForm1::SetRadio(Control radio, bool checked) {
    ui_.SetChecked(radio, checked);
    if (checked) {
        rb2Click();
    }
}

void TForm1::SetTimeoutSeconds(int seconds) {
    ui_.SetValue(Control::seTO, std::clamp(seconds, kTimeoutMin, kTimeoutMax));
}

void TForm1::SelectComPort(int position) {
    ui_.SetValue(Control::cbPort, position >= 0 && position < kComPortCount ? position : -1);
}

std::optional<std::string> TForm1::ExecuteDialog(Dialog dialog, const std::string& title) {
    DialogMemory& memory = DialogState(dialog);
    FileDialogRequest request{&DialogSetupOf(dialog), title, memory.folder, memory.fileName};
    for (;;) {
        std::optional<std::string> chosen = ui_.RunFileDialog(request);
        if (!chosen) {
            return std::nullopt;
        }
        const std::string problem = CheckChosenFile(*request.setup, *chosen);
        if (problem.empty()) {
            memory.fileName = *chosen;
            return chosen;
        }
        // As a dialog's own refusal: placed by the system, the dialog's title as caption.
        ui_.ShowMessage(MessageRequest{.caption = title,
                                       .text = problem,
                                       .kind = MessageKind::Warning,
                                       .buttons = {MessageButton::Ok},
                                       .systemPlaced = true});
        request.fileName = *chosen;
    }
}

std::optional<std::string> TForm1::ChooseFile(Dialog dialog, const std::string& title) {
    return ExecuteDialog(dialog, title);
}

void TForm1::RememberFolder(Dialog dialog, const std::string& folder) {
    // The firmware dialog keeps a folder of its own; the four data dialogs share theirs.
    if (dialog == Dialog::DlgFW) {
        DialogState(dialog).folder = folder;
    } else {
        SetDialogFolder(folder);
    }
}
