// "Put file" and "Get file": one file to or from the device, under the same name on both sides.
//
// The device knows no folders: the remote name is always the name part of the local path.
#include "app/ActionFiles.h"
#include "app/Main.h"
#include "app/ReceivedFiles.h"

#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

namespace {

// Consecutive reply time-outs after which an upload gives up.
constexpr std::int32_t kUploadRetries = 3;

} // namespace

void TForm1::btnPutClick() {
    SetIdleState(false);
    if (const std::optional<std::string> path =
            ExecuteDialog(Dialog::DlgPut, "Select file for sending")) {
        PutFile(*path);
    }
    SetIdleState(true);
}

void TForm1::PutFile(const std::string& path) {
    try {
        SetDialogFolder(FolderOf(path));
        PrepareTransfer(ui_.GetBounds(Control::btnPut).left);
        Client->Upload(path, RemoteName(path), kUploadRetries);
        ShowInfo("File " + Quoted(path) + " successfull sent");
    } catch (const std::exception& error) {
        // The local file is only read: nothing to clean up.
        ShowWarning("TFTP put file failed!\r\r" + ClassNameOf(error) + ": " + error.what());
        if (DebugOn()) {
            // Passed on for the field log; the window must not stay busy behind it.
            SetIdleState(true);
            throw;
        }
    }
}

void TForm1::btnGetClick() {
    SetIdleState(false);
    const std::optional<std::string> path =
        ExecuteDialog(Dialog::DlgGet, "Select filename for receiving");
    if (path && ConfirmOverwrite(*path)) {
        GetFile(*path);
    }
    SetIdleState(true);
}

void TForm1::GetFile(const std::string& path) {
    try {
        SetDialogFolder(FolderOf(path));
        PrepareTransfer(ui_.GetBounds(Control::btnGet).left);
        // "Overwrite?" agreed to the device's file taking the place of the older one, not to
        // losing it when the transfer fails: it is replaced only by a complete file.
        DownloadReplacing(*Client, RemoteName(path), path);
        ShowInfo("File " + Quoted(path) + " successfull received");
    } catch (const std::exception& error) {
        if (ReportFailure("TFTP get file failed!", error)) {
            throw;
        }
    }
}
