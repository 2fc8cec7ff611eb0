#include "app/win32/Win32Dialogs.h"
#include "support/FileNames.h"
#include "support/WideText.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

DWORD FileDialogFlags(const FileDialogSetup& setup) {
    struct Option {
        bool FileDialogSetup::*wanted;
        DWORD flag;
    };
    constexpr Option kOptions[] = {
        {&FileDialogSetup::pathMustExist, OFN_PATHMUSTEXIST},
        {&FileDialogSetup::fileMustExist, OFN_FILEMUSTEXIST},
        {&FileDialogSetup::noReadOnlyFile, OFN_NOREADONLYRETURN},
        {&FileDialogSetup::hideReadOnlyBox, OFN_HIDEREADONLY},
        {&FileDialogSetup::noRecentDocuments, OFN_DONTADDTORECENT},
        {&FileDialogSetup::resizable, OFN_ENABLESIZING},
    };
    // Explorer style; the process's current folder stays where it is. The actions ask their own
    // overwrite question, so the save dialog asks none.
    DWORD flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    for (const Option& option : kOptions) {
        if (setup.*option.wanted) {
            flags |= option.flag;
        }
    }
    return flags;
}

std::string FileDialogFilter(const FileDialogSetup& setup) {
    if (setup.filterName.empty()) {
        return {};
    }
    std::string filter(setup.filterName);
    filter += '\0';
    filter += setup.filterPattern;
    filter += '\0';
    filter += '\0';
    return filter;
}

std::optional<std::string> RunNativeFileDialog(HWND owner, const FileDialogRequest& request) {
    const FileDialogSetup& setup = *request.setup;
    // Room for the longest path the system knows; the last file's name is preselected.
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring name = WideText(FileName(request.fileName));
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::wstring filter = WideText(FileDialogFilter(setup));
    const std::wstring extension = WideText(setup.defaultExtension);
    const std::wstring folder = WideText(request.folder);
    const std::wstring title = WideText(request.title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = FileDialogFlags(setup);
    const BOOL chosen = setup.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return Utf8Text(file.data());
}
