#include "app/qt/QtDialogs.h"
#include "app/qt/QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    const FileDialogSetup& setup = *request.setup;
    // Qt's own dialog behaves the same on every desktop, which the checks after it rely on.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(ToQString(request.title));
    dialog.setAcceptMode(setup.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(setup.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The actions ask their own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, setup.save);
    if (!setup.filterName.empty()) {
        QString patterns = ToQString(setup.filterPattern);
        patterns.replace(';', ' ');
        dialog.setNameFilter(ToQString(setup.filterName) + " (" + patterns + ")");
        // Shows the filter's own name only; it may already name its patterns.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
    }
    dialog.setDefaultSuffix(ToQString(setup.defaultExtension));
    dialog.setSizeGripEnabled(setup.resizable);
    if (!request.folder.empty()) {
        dialog.setDirectory(PathToQString(request.folder));
    }
    if (!request.fileName.empty()) {
        // Preselect the last file's name in the starting folder.
        dialog.selectFile(QFileInfo(PathToQString(request.fileName)).fileName());
    }
}

std::optional<std::string> RunQtFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return PathFromQString(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}
