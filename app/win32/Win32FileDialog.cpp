#include "app/win32/Win32Dialogs.h"

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
    std::vector<char> file(32768, '\0');
    const std::size_t nameStart = request.fileName.find_last_of("\\/");
    const std::string name =
        nameStart == std::string::npos ? request.fileName : request.fileName.substr(nameStart + 1);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::string filter = FileDialogFilter(setup);
    const std::string extension(setup.defaultExtension);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = FileDialogFlags(setup);
    const BOOL chosen = setup.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return std::string(file.data());
}
