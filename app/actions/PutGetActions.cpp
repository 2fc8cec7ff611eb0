// "Put file" and "Get file": one file to or from the device, under the same name on both sides.
//
// The device knows no folders: the remote name is always the name part of the local path.
#include "app/actions/ActionFiles.h"
#include "app/actions/ActionSteps.h"
#include "app/actions/ActionTransfer.h"
#include "app/actions/Actions.h"
#include "app/actions/ReceivedFiles.h"

#include "tftp/IdTrivialFTP.h"

bool RunPut(ActionHost& host) {
    const std::optional<std::string> path =
        host.ChooseFile(Dialog::DlgPut, "Select file for sending");
    return path && PutFile(host, *path, RemoteName(*path));
}

bool PutFile(ActionHost& host, const std::string& localPath, const std::string& remoteName) {
    try {
        host.RememberFolder(Dialog::DlgPut, FolderOf(localPath));
        const std::string deviceName = DeviceName(remoteName);
        ActionTransfer transfer(host, Action::Put);
        transfer.Client().Upload(localPath, deviceName, kUploadRetries);
        host.ShowInfo("File " + Quoted(localPath) + " successfull sent");
        return true;
    } catch (const std::exception& error) {
        // The local file is only read: nothing to clean up. Put names the error's class too.
        if (ReportFailure(host, Action::Put, kPutFailed,
                          ClassNameOf(error) + ": " + error.what())) {
            throw;
        }
        return false;
    }
}

bool RunGet(ActionHost& host) {
    const std::optional<std::string> path =
        host.ChooseFile(Dialog::DlgGet, "Select filename for receiving");
    return path && GetFile(host, RemoteName(*path), *path);
}

bool GetFile(ActionHost& host, const std::string& remoteName, const std::string& localPath) {
    if (!ConfirmOverwrite(host, localPath)) {
        return false;
    }
    try {
        host.RememberFolder(Dialog::DlgGet, FolderOf(localPath));
        const std::string deviceName = DeviceName(remoteName);
        ActionTransfer transfer(host, Action::Get);
        // "Overwrite?" agreed to the device's file taking the place of the older one, not to
        // losing it when the transfer fails: it is replaced only by a complete file.
        DownloadReplacing(transfer.Client(), deviceName, localPath);
        host.ShowInfo("File " + Quoted(localPath) + " successfull received");
        return true;
    } catch (const std::exception& error) {
        if (ReportFailure(host, Action::Get, kGetFailed, error.what())) {
            throw;
        }
        return false;
    }
}
