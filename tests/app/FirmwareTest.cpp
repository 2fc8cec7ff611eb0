// "Firmware update" against the simulated device: which files go out, the one progress bar
// across two uploads, the point after which nothing can be cancelled, and every failure.
#include "support/PathText.h"
#include "tests/app/TransferFixture.h"

#include "tests/kit/WriterLock.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <optional>

namespace {

using FirmwareTest = TransferTest;

const std::string kSuccess =
    "The new firmware was successfully transferred and the update process was started.\r"
    "The process may take up to 30 seconds, your device will not react during this time.\r"
    "DO NOT remove the power during this time as this make the device unoperational!";

TEST_F(FirmwareTest, PfwImageAndItsCompanionShareOneBar) {
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.PFW", 1000));
    form->btnFirmwareClick();

    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select file for firmware update");
    EXPECT_EQ(Message(), kSuccess);
    EXPECT_EQ(ReadFile(device / "R7.PFW"), PatternBytes(1000));
    EXPECT_EQ(ReadFile(device / "R7.pch"), PatternBytes(30));
    // 1000 + 30 bytes: maximum 1031, 1000 after the image, 1030 at the end.
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1031);
    EXPECT_EQ(ui->Value(ProgressBar1), 1030);
    const auto companion = std::ranges::find_if(
        snapshots, [](const UiSnapshot& seen) { return seen.cancelForbidden; });
    ASSERT_NE(companion, snapshots.end());
    EXPECT_EQ(companion->position, 1000);
    EXPECT_EQ(pauses.Skipped(), std::chrono::seconds(1)) << "the pause between the uploads";
    EXPECT_TRUE(std::all_of(companion, snapshots.end(), [](const UiSnapshot& seen) {
        return !seen.cancelEnabled;
    })) << "the companion cannot be cancelled";
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnFirmware).left);
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, PathText(data / ""));
    EXPECT_EQ(form->DialogState(Dialog::DlgPut).folder, "") << "the data folder is apart";
    ExpectIdle();
}

TEST_F(FirmwareTest, PfoImageIsSentAloneEvenBesideACompanion) {
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.Pfo", 700));
    form->btnFirmwareClick();
    EXPECT_EQ(Message(), kSuccess);
    EXPECT_EQ(ReadFile(device / "R7.Pfo"), PatternBytes(700));
    EXPECT_FALSE(fs::exists(device / "R7.pch"));
    EXPECT_EQ(ui->Maximum(ProgressBar1), 701);
}

// Images copied from a FAT stick: the companion is found in any letter case, an exact ".pch"
// first, and always reaches the device under the image's name with ".pch".
TEST_F(FirmwareTest, CompanionIsFoundInAnyLetterCaseAndSentAsPch) {
    DataFile("r7.PCH", 40);
    ui->dialogAnswers.push_back(DataFile("R7.PFW", 1000));
    form->btnFirmwareClick();
    EXPECT_EQ(Message(), kSuccess);
    EXPECT_EQ(ReadFile(device / "R7.pch"), PatternBytes(40));
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1041);

    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.PFW", 1000));
    form->btnFirmwareClick();
    EXPECT_EQ(ReadFile(device / "R7.pch"), PatternBytes(30));
    EXPECT_EQ(std::distance(fs::directory_iterator(device), fs::directory_iterator()), 2)
        << "R7.PFW and R7.pch, nothing under another name";
}

TEST_F(FirmwareTest, ChoicesThatSendNothing) {
    const std::string missing = "Transmit of firmware is not possible!\rThe required file \"" +
                                PathText(data / "R7.pch") + "\" was not found.";
    const std::pair<std::string, std::string> cases[] = {
        {"R7.bin", "Please select an firmware file"},
        {"R7", "Please select an firmware file"},
        {"R7.pfw", missing},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        ui->messages.clear();
        ui->dialogAnswers.push_back(DataFile(name, 100));
        form->btnFirmwareClick();
        EXPECT_EQ(Message(), expected);
        EXPECT_EQ(ui->messages.back().kind, MessageKind::Warning);
        EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, PathText(data / ""))
            << "the folder is remembered all the same";
        ExpectIdle();
    }
    EXPECT_TRUE(snapshots.empty()) << "no transfer was prepared";
    EXPECT_TRUE(fs::is_empty(device));
}

// An update that stopped at the companion would leave the device with the image alone: every
// file is checked before anything goes out.
TEST_F(FirmwareTest, UnusableFilesAreFoundBeforeAnythingIsSent) {
    const std::string companion = DataFile("R7.pch", 0);
    const std::string pfw = DataFile("R7.pfw", 1000), pfo = DataFile("M2.pfo", 0);
    const std::string empty = "\" is empty.", locked = "\": another program is writing it";
    for (const auto& [image, expected] :
         {std::pair{pfw, "The file \"" + companion + empty},
          std::pair{pfo, "The file \"" + pfo + empty},
          std::pair{pfw, "Cannot open file \"" + companion + locked}}) {
        std::optional<WriterLock> writer; // another program saving the companion just now
        if (expected.ends_with(locked)) {
            DataFile("R7.pch", 30);
            writer.emplace(companion);
        }
        ui->messages.clear();
        ui->dialogAnswers.push_back(image);
        form->btnFirmwareClick();
        EXPECT_EQ(Message(), "Transmit of firmware is not possible!\r" + expected);
    }
    EXPECT_TRUE(snapshots.empty()) << "no transfer was prepared";
    EXPECT_TRUE(fs::is_empty(device));
    ExpectIdle();
}

TEST_F(FirmwareTest, FailuresAreShownAndNeverPassedOn) {
    form->ReraiseErrors = true;
    StartLog("DEBUG", "1");

    DeviceMisbehaves(RefusesWith(3, "flash full"));
    ui->dialogAnswers.push_back(DataFile("R7.pfo", 100));
    EXPECT_NO_THROW(form->btnFirmwareClick());
    EXPECT_EQ(Message(), "TFTP put file failed!\r\r\"flash full\"");
    ExpectIdle();

    // The device cannot store the companion: the image is on the device, the update failed.
    DeviceMisbehaves({});
    fs::create_directory(device / "R7.pch");
    DataFile("R7.pch", 30);
    ui->messages.clear();
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 600));
    EXPECT_NO_THROW(form->btnFirmwareClick());
    EXPECT_EQ(Message().rfind("TFTP put file failed!\r\r\"", 0), 0u) << Message();
    EXPECT_EQ(ReadFile(device / "R7.pfw"), PatternBytes(600));
    ExpectIdle();
}

TEST_F(FirmwareTest, CancelDuringTheImageSendsNoCompanion) {
    DeviceMisbehaves(SilentAfter(0));
    ui->SetValue(seTO, 8);
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 1000));
    DuringSilentWait([this] { form->btnCancelClick(); });
    form->btnFirmwareClick();
    EXPECT_EQ(Message(), "TFTP put file failed!\r\rOperation canceled");
    EXPECT_FALSE(fs::exists(device / "R7.pfw") || fs::exists(device / "R7.pch"));
    ExpectIdle();
}

// The device stays silent while it takes the image in, and the technician reaches for "Cancel
// action": by then the image is on the device, and the companion follows.
TEST_F(FirmwareTest, CancelIsNoLongerPossibleOnceTheImagesLastBlockIsOut) {
    DeviceMisbehaves(SilentAfter(1)); // DATA 2, the image's last block, is never acknowledged
    ui->SetValue(seTO, 2);
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 1000));
    DuringSilentWait(
        [this] { ASSERT_FALSE(ui->Enabled(btnCancel)) << "at " << ui->Value(ProgressBar1); });
    form->btnFirmwareClick();
    EXPECT_GE(stepSnapshot, 0);
    EXPECT_EQ(Message(), kSuccess);
    EXPECT_EQ(ReadFile(device / "R7.pch"), PatternBytes(30));
}

TEST_F(FirmwareTest, CloseAfterTheImageLetsTheCompanionFinish) {
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 1000));
    bool cancelledByClose = false;
    ui->onProcessEvents = [&] {
        if (form->Cancel().Forbidden()) {
            // The close box during the companion's upload.
            const bool cutShort = form->CancelForClose();
            cancelledByClose = cancelledByClose || cutShort || form->Cancel().Requested();
        }
    };
    form->btnFirmwareClick();
    EXPECT_FALSE(cancelledByClose);
    EXPECT_EQ(Message(), kSuccess);
    EXPECT_TRUE(ui->messages.back().evenWhileClosing) << "the power warning survives the close";
    EXPECT_EQ(ReadFile(device / "R7.pch"), PatternBytes(30));
}

} // namespace
