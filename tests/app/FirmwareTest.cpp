// "Firmware update" against the simulated device: which files go out and in what order, the
// one progress bar across two uploads, the point after which nothing can be cancelled, and
// every failure.
#include "app/TransferFixture.h"

#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <algorithm>
#include <cstdlib>

namespace {

using FirmwareTest = TransferTest;

const std::string kSuccess =
    "The new firmware was successfully transferred and the update process was started.\r"
    "The process may take up to 30 seconds, your device will not react during this time.\r"
    "DO NOT remove the power during this time as this make the device unoperational!";

TEST_F(FirmwareTest, PfwImageIsFollowedByItsCompanionUnderOneBar) {
    const std::string image = DataFile("R7.PFW", 1000);
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(image);
    form->btnFirmwareClick();

    EXPECT_EQ(ui->dialogRequests.at(0).title, "Select file for firmware update");
    EXPECT_EQ(OnlyMessage().text, kSuccess);
    EXPECT_EQ(OnlyMessage().kind, MessageKind::Custom);
    EXPECT_EQ(DeviceFile("R7.PFW"), Pattern(1000));
    EXPECT_EQ(DeviceFile("R7.pch"), Pattern(30));

    // 1000 + 30 bytes: maximum 1031, 1000 after the image, 1030 at the end.
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1031);
    EXPECT_EQ(ui->Value(ProgressBar1), 1030);
    const auto companion =
        std::ranges::find_if(snapshots, [](const UiSnapshot& seen) { return seen.carry < 0; });
    ASSERT_NE(companion, snapshots.end());
    EXPECT_EQ(companion->position, 1000);
    EXPECT_EQ(companion->maximum, 1031);
    EXPECT_EQ(companion->carry, -1000);
    // The pause lies between the last event processing of the image and the first of the
    // companion, and nothing was processed during it.
    EXPECT_GE(companion->tick - std::prev(companion)->tick, 1000u);
    for (auto seen = companion; seen != snapshots.end(); ++seen) {
        EXPECT_FALSE(seen->cancelEnabled) << "the companion cannot be cancelled";
    }
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, ui->GetBounds(btnFirmware).left);
    EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, (data / "").string());
    EXPECT_EQ(form->DialogState(Dialog::DlgPut).folder, "") << "the data folder is apart";
    ExpectIdle();
}

TEST_F(FirmwareTest, PfoImageIsSentAloneEvenBesideACompanion) {
    const std::string image = DataFile("R7.Pfo", 700);
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(image);
    form->btnFirmwareClick();
    EXPECT_EQ(OnlyMessage().text, kSuccess);
    EXPECT_EQ(DeviceFile("R7.Pfo"), Pattern(700));
    EXPECT_FALSE(OnDevice("R7.pch"));
    EXPECT_EQ(ui->Maximum(ProgressBar1), 701);
    EXPECT_EQ(ui->Value(ProgressBar1), 700);
    ExpectIdle();
}

TEST_F(FirmwareTest, ChoicesThatSendNothing) {
    struct Case {
        const char* what;
        std::string chosen; // in the data folder
        std::string expected;
    };
    const std::string companion = (data / "R7.pch").string();
    const Case cases[] = {
        {"not a firmware image", "R7.bin", "Please select an firmware file"},
        {"no extension", "R7", "Please select an firmware file"},
        {"pfw without companion", "R7.pfw",
         "Transmit of firmware is not possible!\rThe required file \"" + companion +
             "\" was not found."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui->messages.clear();
        snapshots.clear();
        const std::string chosen = DataFile(c.chosen, 100);
        ui->dialogAnswers.push_back(chosen);
        form->btnFirmwareClick();
        EXPECT_EQ(OnlyMessage().text, c.expected);
        EXPECT_EQ(OnlyMessage().kind, MessageKind::Warning);
        EXPECT_TRUE(snapshots.empty()) << "no transfer was prepared";
        EXPECT_EQ(form->DialogState(Dialog::DlgFW).folder, (data / "").string())
            << "the folder is remembered all the same";
        ExpectIdle();
        fs::remove(chosen);
    }
    EXPECT_TRUE(fs::is_empty(deviceFolder));

    ui->messages.clear();
    form->btnFirmwareClick();
    EXPECT_TRUE(ui->messages.empty()) << "a cancelled dialog shows nothing";
    ExpectIdle();
}

TEST_F(FirmwareTest, FailuresAreShownAndNeverPassedOn) {
    form->ReraiseErrors = true;
    ::setenv("XDG_DATA_HOME", (folder.Path() / "xdg").c_str(), 1);
    WriteFileText(folder.Path() / "DEBUG", "1");
    LogStartupAt(ProgramPath().string());

    DeviceMisbehaves(RefusesWith(3, "flash full"));
    ui->dialogAnswers.push_back(DataFile("R7.pfo", 100));
    EXPECT_NO_THROW(form->btnFirmwareClick());
    EXPECT_EQ(OnlyMessage().text, "TFTP put file failed!\r\r\"flash full\"");
    ExpectIdle();

    // The companion upload fails: the device cannot store it. The image is on the device.
    DeviceMisbehaves({});
    fs::create_directory(deviceFolder / "R7.pch");
    DataFile("R7.pch", 30);
    ui->messages.clear();
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 600));
    EXPECT_NO_THROW(form->btnFirmwareClick());
    EXPECT_EQ(OnlyMessage().text.rfind("TFTP put file failed!\r\r\"", 0), 0u) << OnlyMessage().text;
    EXPECT_EQ(DeviceFile("R7.pfw"), Pattern(600));
    ExpectIdle();
}

TEST_F(FirmwareTest, CancelDuringTheImageUploadSendsNoCompanion) {
    DeviceMisbehaves(SilentAfter(0));
    SetTimeout(8);
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 1000));
    CancelDuringSilentWait();
    form->btnFirmwareClick();
    EXPECT_EQ(OnlyMessage().text, "TFTP put file failed!\r\rOperation canceled");
    EXPECT_FALSE(OnDevice("R7.pfw"));
    EXPECT_FALSE(OnDevice("R7.pch"));
    ExpectIdle();
}

TEST_F(FirmwareTest, CloseAfterTheImageLetsTheCompanionFinish) {
    DataFile("R7.pch", 30);
    ui->dialogAnswers.push_back(DataFile("R7.pfw", 1000));
    bool cancelledByClose = true;
    ui->onProcessEvents = [&] {
        if (form->ProgressCarry < 0) {
            // The close box during the companion's upload.
            form->CancelForClose();
            cancelledByClose = form->Client->CancelRequested;
        }
    };
    form->btnFirmwareClick();
    EXPECT_FALSE(cancelledByClose);
    EXPECT_EQ(OnlyMessage().text, kSuccess);
    EXPECT_EQ(DeviceFile("R7.pch"), Pattern(30));
}

} // namespace
