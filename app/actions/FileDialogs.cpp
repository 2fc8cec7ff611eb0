#include "app/actions/FileDialogs.h"

#include "support/PathText.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// clang-format off
const std::array<FileDialogSetup, kDialogCount> kDialogs{{
    // id, name, save, filter name, pattern, default extension,
    // path must exist, file must exist, no read-only file, hide read-only box, no recent documents
    {Dialog::DlgPut, "DlgPut", false, "", "", "", true, true, false, false, true},
    {Dialog::DlgGet, "DlgGet", true, "", "", "", true, false, true, false, false},
    {Dialog::DlgFW, "DlgFW", false, "firmware file (*.pfw/*.pfo)", "*.pfw;*.pfo", "",
     true, true, false, true, false},
    {Dialog::DlgReadLogger, "DlgReadLogger", true, "CSV files", "*.csv", "csv",
     true, false, true, false, true},
    {Dialog::DlgConvert, "DlgConvert", false, "ZEL files", "*.zel", "zel",
     true, true, false, false, true},
}};
// clang-format on

std::string Quoted(const fs::path& path) {
    return "\"" + PathText(path) + "\"";
}

bool IsReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

const FileDialogSetup& DialogSetupOf(Dialog dialog) {
    return kDialogs.at(static_cast<std::size_t>(dialog));
}

std::string CheckChosenFile(const FileDialogSetup& setup, const std::string& path) {
    if (path.empty()) {
        return "Please choose a file.";
    }
    const fs::path file = FilePath(path);
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        return Quoted(file) + " is a folder, not a file.";
    }
    if (setup.pathMustExist) {
        const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
        if (!fs::is_directory(folder, ec)) {
            return "The folder " + Quoted(folder) + " does not exist.";
        }
    }
    const bool exists = fs::exists(file, ec);
    if (setup.fileMustExist && !exists) {
        return "The file " + Quoted(file) + " does not exist.";
    }
    if (setup.noReadOnlyFile && exists && IsReadOnly(file)) {
        return "The file " + Quoted(file) + " is read-only.";
    }
    return {};
}
