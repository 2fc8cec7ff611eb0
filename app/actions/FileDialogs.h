// The window's five file dialogs: what each offers and which choices it accepts.
#pragma once

#include <string>
#include <string_view>

enum class Dialog { DlgPut, DlgGet, DlgFW, DlgReadLogger, DlgConvert };

inline constexpr int kDialogCount = 5;

struct FileDialogSetup {
    Dialog id;
    std::string_view name;
    bool save;                      // a file-save dialog; otherwise a file-open dialog
    std::string_view filterName;    // empty: no filter, every file is shown
    std::string_view filterPattern; // patterns separated by ";", e.g. "*.pfw;*.pfo"
    std::string_view defaultExtension;
    bool pathMustExist;
    bool fileMustExist;
    bool noReadOnlyFile;    // refuse an existing file that cannot be written
    bool hideReadOnlyBox;   // no "open read-only" check box
    bool noRecentDocuments; // the choice is not added to the system's recent documents
    bool resizable = true;
};

const FileDialogSetup& DialogSetupOf(Dialog dialog);

// Checks a path the user chose in a dialog against the dialog's rules. Returns an empty text when
// the choice is acceptable, otherwise the message that tells the user why it is not.
std::string CheckChosenFile(const FileDialogSetup& setup, const std::string& path);
