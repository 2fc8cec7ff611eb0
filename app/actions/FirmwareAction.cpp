// "Firmware update": a ".pfo" image alone, or a ".pfw" image followed by its companion ".pch",
// after which the device installs the new firmware by itself.
//
// Every file the update sends is checked before anything goes to the device, so that an update
// never stops half-way for a file that was unusable from the start. Once the last block of the
// ".pfw" image has gone out the companion must follow: from then on the update cannot be
// cancelled, and a closing window waits for it.
#include "app/actions/ActionFiles.h"
#include "app/actions/ActionSteps.h"
#include "app/actions/ActionTransfer.h"
#include "app/actions/Actions.h"

#include "support/PathText.h"
#include "tftp/IdTFTPStreams.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>

namespace {

// The device needs a moment between the image and its companion.
constexpr auto kCompanionPause = std::chrono::milliseconds(1000);

const std::string kImageWithCompanion = ".pfw";
const std::string kImageAlone = ".pfo";
const std::string kCompanionExtension = ".pch";

const std::string kNotPossible = "Transmit of firmware is not possible!\r";

const std::string kSuccessText =
    "The new firmware was successfully transferred and the update process was started.\r"
    "The process may take up to 30 seconds, your device will not react during this time.\r"
    "DO NOT remove the power during this time as this make the device unoperational!";

// The companion's size, which the progress display adds to the image's; 0 when it cannot be
// told (its own upload then fails and says why).
std::int32_t CompanionSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(FilePath(path), error);
    if (error) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::min<std::uintmax_t>(size, std::numeric_limits<std::int32_t>::max()));
}

// Sends the image and, where it has one, its companion; shows the result.
void SendFirmware(ActionHost& host, const FirmwareFiles& files) {
    const bool withCompanion = !files.companion.empty();
    // Both names are checked before the image goes: its companion must be able to follow.
    const std::string imageName = DeviceName(RemoteName(files.image));
    const std::string companionDeviceName =
        withCompanion ? DeviceName(RemoteName(files.companionName)) : std::string();
    host.ShowBusy();
    ActionTransfer transfer(host, Action::Firmware);
    if (withCompanion) {
        // One display across both files.
        transfer.ProgressCarry = CompanionSize(files.companion);
    }
    // Its last block ends the time in which the update can be cancelled.
    transfer.Client().Upload(files.image, imageName, kUploadRetries);
    if (withCompanion) {
        transfer.ContinueProgress();
        // Deliberately without letting the user act: nothing may start or close meanwhile.
        transfer.Client().TimeSource->Sleep(kCompanionPause);
        transfer.Client().Upload(files.companion, companionDeviceName, kUploadRetries);
    }
    host.ShowInfo(kSuccessText);
}

// Why the file cannot be sent, or empty when it can. A usable file is opened and locked against
// writers as its upload will lock it, and stays so in held until the update has ended.
std::string SourceProblem(const std::string& path, std::deque<TIdSourceLock>& held) {
    try {
        held.emplace_back(path);
        std::ifstream file = OpenSourceFile(path);
        if (RemainingSize(file) == 0) {
            return "The file " + Quoted(path) + " is empty.";
        }
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

} // namespace

std::optional<FirmwareFiles> CheckFirmwareFiles(ActionHost& host, const std::string& path) {
    const std::string extension = LowerCase(ExtensionOf(path));
    if (extension != kImageWithCompanion && extension != kImageAlone) {
        host.ShowWarning("Please select an firmware file");
        return std::nullopt;
    }
    FirmwareFiles files;
    files.image = path;
    // The device is given the companion under the image's name with ".pch"; on disk it may come
    // in other letter case, as images copied from a FAT stick do (R7.PFW with R7.PCH).
    files.companionName = path.substr(0, path.size() - extension.size()) + kCompanionExtension;
    if (extension == kImageWithCompanion) {
        files.companion = FileIgnoringCase(files.companionName);
        if (files.companion.empty()) {
            host.ShowWarning(kNotPossible + "The required file " + Quoted(files.companionName) +
                             " was not found.");
            return std::nullopt;
        }
    }
    for (const std::string& file : {files.image, files.companion}) {
        const std::string problem = file.empty() ? std::string() : SourceProblem(file, files.held);
        if (!problem.empty()) {
            host.ShowWarning(kNotPossible + problem);
            return std::nullopt;
        }
    }
    return files;
}

bool SendFirmwareFiles(ActionHost& host, const FirmwareFiles& files) {
    try {
        SendFirmware(host, files);
        return true;
    } catch (const std::exception& error) {
        // Never passed on, whatever the options say: the technician needs this message, and the
        // window must not be left stuck in the middle of an update.
        host.ShowWarning(std::string(kPutFailed) + "\r\r" + error.what());
        return false;
    }
}

bool RunFirmwareUpdate(ActionHost& host) {
    const std::optional<std::string> path =
        host.ChooseFile(Dialog::DlgFW, "Select file for firmware update");
    if (!path) {
        return false;
    }
    host.RememberFolder(Dialog::DlgFW, FolderOf(*path));
    const std::optional<FirmwareFiles> files = CheckFirmwareFiles(host, *path);
    return files && SendFirmwareFiles(host, *files);
}
