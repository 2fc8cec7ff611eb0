// "Firmware update": a ".pfo" image alone, or a ".pfw" image followed by its companion ".pch",
// after which the device installs the new firmware by itself.
//
// Once the ".pfw" image is on the device the companion must follow: from then on the update
// cannot be cancelled, and a closing window waits for it.
#include "app/ActionFiles.h"
#include "app/Main.h"

#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>

namespace {

constexpr std::int32_t kUploadRetries = 3;

// The device needs a moment between the image and its companion.
constexpr auto kCompanionPause = std::chrono::milliseconds(1000);

const std::string kImageWithCompanion = ".pfw";
const std::string kImageAlone = ".pfo";
const std::string kCompanionExtension = ".pch";

const std::string kSuccessText =
    "The new firmware was successfully transferred and the update process was started.\r"
    "The process may take up to 30 seconds, your device will not react during this time.\r"
    "DO NOT remove the power during this time as this make the device unoperational!";

// The companion's size, which the progress bar adds to the image's; 0 when it cannot be told
// (its own upload then fails and says why).
std::int32_t CompanionSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::min<std::uintmax_t>(size, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

void TForm1::btnFirmwareClick() {
    SetIdleState(false);
    if (const std::optional<std::string> path =
            ExecuteDialog(Dialog::DlgFW, "Select file for firmware update")) {
        DialogState(Dialog::DlgFW).folder = FolderOf(*path);
        UpdateFirmware(*path);
    }
    SetIdleState(true);
}

void TForm1::UpdateFirmware(const std::string& path) {
    const std::string extension = LowerCase(ExtensionOf(path));
    if (extension != kImageWithCompanion && extension != kImageAlone) {
        ShowWarning("Please select an firmware file");
        return;
    }
    const bool withCompanion = extension == kImageWithCompanion;
    // The device is given the companion under the image's name with ".pch"; on disk it may come
    // in other letter case, as images copied from a FAT stick do (R7.PFW with R7.PCH).
    const std::string companionName =
        path.substr(0, path.size() - extension.size()) + kCompanionExtension;
    const std::string companion = withCompanion ? FileIgnoringCase(companionName) : std::string();
    if (withCompanion && companion.empty()) {
        ShowWarning("Transmit of firmware is not possible!\rThe required file " +
                    Quoted(companionName) + " was not found.");
        return;
    }
    try {
        ui_.SetCursor(Cursor::Hourglass);
        PrepareTransfer(ui_.GetBounds(Control::btnFirmware).left);
        if (withCompanion) {
            // One bar across both files.
            ProgressCarry = CompanionSize(companion);
        }
        Client->Upload(path, RemoteName(path), kUploadRetries);
        if (withCompanion) {
            ForbidCancel();
            ProgressCarry = -ui_.Value(Control::ProgressBar1);
            // Deliberately without processing events: nothing may start or close meanwhile.
            Client->TimeSource->Sleep(kCompanionPause);
            Client->Upload(companion, RemoteName(companionName), kUploadRetries);
        }
        ShowInfo(kSuccessText);
    } catch (const std::exception& error) {
        // Never passed on, whatever the options say: the technician needs this message, and the
        // window must not be left stuck in the middle of an update.
        ShowWarning(std::string("TFTP put file failed!\r\r") + error.what());
    }
}
