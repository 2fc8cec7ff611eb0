// The settings file beside the program: the window keys of section "Param", loaded at start-up
// and saved at close, and the two logger tables, reloaded before every conversion.
//
// One list of lines serves both directions: each names a key with the control's current value
// (the default when loading, the value to store when saving) and puts the result back. All lines
// of a run share one image of the file, so a save keeps every section and key it does not write.
#include "app/Main.h"
#include "logger/LoggerTables.h"
#include "support/IniRun.h"

void TForm1::ReadWriteSettings(bool write, bool windowKeys) {
    IniRun run(settingsFile_, write);
    try {
        if (windowKeys) {
            ReadWriteWindowKeys(run);
        } else {
            LoadLoggerTables(run);
        }
        // The last key of every save, as the technicians' files have always ended.
        run.EmptyKey("p");
        run.Finish();
    } catch (...) {
        // A settings file that cannot be read or written costs only the settings; the controls
        // keep the values they had.
    }
    if (windowKeys) {
        AfterWindowKeys();
    }
}

void TForm1::ReadWriteWindowKeys(IniRun& run) {
    Bounds window = ui_.GetBounds(Control::Form1);
    run.Integer("Top", window.top);
    ui_.SetBounds(Control::Form1, window);
    run.Integer("Left", window.left);
    ui_.SetBounds(Control::Form1, window);

    bool serial = ui_.Checked(Control::rb2);
    run.Bool("connection", serial);
    SetRadio(Control::rb2, serial);

    std::string host = ui_.Text(Control::eIP);
    run.String("host", host);
    ui_.SetText(Control::eIP, host);

    std::int32_t comPort = ui_.Value(Control::cbPort);
    run.Integer("Port", comPort);
    SelectComPort(comPort);

    run.String("Dir", DialogState(Dialog::DlgGet).folder);
    run.String("DirFW", DialogState(Dialog::DlgFW).folder);

    std::int32_t timeout = ui_.Value(Control::seTO);
    run.Integer("Timeout", timeout);
    SetTimeoutSeconds(timeout);
}

void TForm1::LoadLoggerTables(IniRun& run) {
    ReadLoggerTables(run, codeTexts_, selectColumns_);
}

void TForm1::AfterWindowKeys() {
    // Put, Get, Read logger and only convert share one data folder.
    SetDialogFolder(DialogState(Dialog::DlgGet).folder);
    // Exactly one connection is checked.
    SetRadio(Control::rb1, !ui_.Checked(Control::rb2));
    if (ui_.Value(Control::cbPort) < 0) {
        SelectComPort(0);
    }
    // A window at the very corner of the screen has never been placed: give it room.
    Bounds window = ui_.GetBounds(Control::Form1);
    if (window.top == 0 && window.left == 0) {
        window.top = 100;
        window.left = 100;
        ui_.SetBounds(Control::Form1, window);
    }
}

void TForm1::SetDialogFolder(const std::string& folder) {
    for (Dialog dialog :
         {Dialog::DlgGet, Dialog::DlgPut, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        DialogState(dialog).folder = folder;
    }
}
