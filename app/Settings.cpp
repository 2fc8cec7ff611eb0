// The settings file beside the program: the window keys of section "Param", loaded at start-up
// and saved at close, and the two logger tables, reloaded before every conversion.
//
// One list of helper calls serves both directions: each call passes the control's current value
// (the default when loading, the value to store when saving) and puts the result back. All calls
// of a run share one image of the file, so a save keeps every section and key it does not write.
#include "app/Main.h"
#include "logger/LoggerTables.h"
#include "support/CodePage.h"

namespace {

const std::string kParam; // empty section name: "Param"

// A text key as the file holds it: in the system's code page, as the technicians' files always
// were. A text that code page cannot hold (a folder named in another script) is not written, so
// the file keeps the value it had rather than a name with "?" in place of its letters.
std::string ReadWriteText(const std::string& value, IniStoreRef& store, bool write,
                          const std::string& file, const std::string& key) {
    const std::optional<std::string> held = ToCodePage(value);
    const std::string stored = IniString(held.value_or(std::string()), store, write && held, file,
                                         kParam, key, false, false);
    return write ? value : FromCodePage(stored);
}

} // namespace

void TForm1::ReadWriteSettings(bool write, bool windowKeys) {
    IniStoreRef store;
    try {
        if (windowKeys) {
            ReadWriteWindowKeys(store, write);
        } else {
            LoadLoggerTables(store);
        }
        // Closes every run; in a save it writes the whole image to the file.
        IniString("", store, write, settingsFile_, kParam, "p", true, false);
    } catch (...) {
        // A settings file that cannot be read or written costs only the settings; the controls
        // keep the values they had.
    }
    if (windowKeys) {
        AfterWindowKeys();
    }
}

void TForm1::ReadWriteWindowKeys(IniStoreRef& store, bool write) {
    const std::string& file = settingsFile_;

    Bounds window = ui_.GetBounds(Control::Form1);
    window.top = IniInteger(window.top, store, write, file, kParam, "Top", false, false);
    ui_.SetBounds(Control::Form1, window);
    window.left = IniInteger(window.left, store, write, file, kParam, "Left", false, false);
    ui_.SetBounds(Control::Form1, window);

    const bool serial =
        IniBool(ui_.Checked(Control::rb2), store, write, file, kParam, "connection", false, false);
    SetRadio(Control::rb2, serial);

    ui_.SetText(Control::eIP, ReadWriteText(ui_.Text(Control::eIP), store, write, file, "host"));
    SelectComPort(
        IniInteger(ui_.Value(Control::cbPort), store, write, file, kParam, "Port", false, false));

    DialogMemory& get = DialogState(Dialog::DlgGet);
    get.folder = ReadWriteText(get.folder, store, write, file, "Dir");
    DialogMemory& firmware = DialogState(Dialog::DlgFW);
    firmware.folder = ReadWriteText(firmware.folder, store, write, file, "DirFW");

    SetTimeoutSeconds(
        IniInteger(ui_.Value(Control::seTO), store, write, file, kParam, "Timeout", false, false));
}

void TForm1::LoadLoggerTables(IniStoreRef& store) {
    ReadLoggerTables(store, settingsFile_, CodeTexts, SelectColumns);
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
