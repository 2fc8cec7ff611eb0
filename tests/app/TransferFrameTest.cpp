// The frame every transfer runs in: busy and idle, the client's preparation, the progress bar
// arithmetic, event processing, the work events' log lines, cancel and close.
#include "support/PathText.h"
#include "tests/app/TransferFixture.h"

#include "tftp/IdTrivialFTP.h"

#include <limits>

namespace {

using FrameTest = TransferTest;

TEST_F(FrameTest, BusyAndIdleStates) {
    form->SetIdleState(false);
    EXPECT_FALSE(ui->Enabled(GroupBox1) || ui->Enabled(GroupBox2));
    EXPECT_TRUE(ui->Visible(btnCancel) && ui->Enabled(btnCancel) && ui->Enabled(btnClose));
    EXPECT_TRUE(ui->calls.empty()) << "going busy leaves the cursor alone";

    form->PrepareTransfer(0);
    form->btnCancelClick();
    EXPECT_TRUE(form->Cancel().Requested());
    EXPECT_FALSE(ui->Enabled(btnCancel));
    EXPECT_EQ((*ui)[btnCancel].repaints, 1) << "repainted at once";
    form->SetIdleState(true);
    ExpectIdle();
}

TEST_F(FrameTest, PrepareHandsTheConnectionToTheClient) {
    ui->SetValue(seTO, 16);
    form->PrepareTransfer(ui->GetBounds(btnFirmware).left);
    const TIdTrivialFTP& client = *form->Client();
    EXPECT_EQ(client.Host, "127.0.0.1");
    EXPECT_EQ(client.Port, form->TargetPort);
    EXPECT_EQ(client.ReceiveTimeout, 16000);
    EXPECT_EQ(client.RequestedBlockSize, 512);
    EXPECT_EQ(ui->GetBounds(ProgressBar1), (Bounds{8, 45, 85, 13})) << "under the button";
    EXPECT_TRUE(ui->Visible(ProgressBar1));
    // The bar and the disabled groups are painted first, then the hourglass.
    EXPECT_EQ(ui->calls, (std::vector<std::string>{"ProcessEvents", "Cursor Hourglass"}));

    Start({"-f:25"});
    ui->SetChecked(rb2, true);
    ui->SetValue(cbPort, 4);
    form->PrepareTransfer(0);
    EXPECT_EQ(form->Client()->Host, "") << "the serial line";
    EXPECT_EQ(form->Client()->Port, 5);
    EXPECT_EQ(form->Client()->SerialGapTimeout, 25);

    // Nothing is sent here: a transfer to the factory address must never run in a test.
    ui->SetChecked(rb1, true);
    ui->SetText(eIP, "");
    form->PrepareTransfer(0);
    EXPECT_EQ(form->Client()->Host, kFactoryAddress);
    EXPECT_EQ(ui->Text(eIP), kFactoryAddress);
}

TEST_F(FrameTest, ProgressArithmetic) {
    form->ClientWorkBegin(1000);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1001) << "an upload ends one short of full";
    form->ClientWorkBegin(0);
    form->ClientWork(25000);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 10000);
    EXPECT_EQ(ui->Value(ProgressBar1), 5000) << "a download cycles";
    form->ClientWorkBegin(std::nullopt);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 10000) << "a transfer that continues the bar";

    // Close to 2 GiB plus a companion: the maximum must not overflow.
    form->ClientWorkBegin(2 * std::int64_t{std::numeric_limits<std::int32_t>::max()});
    EXPECT_EQ(ui->Maximum(ProgressBar1), std::numeric_limits<int>::max());
}

TEST_F(FrameTest, ProgressProcessesEventsAtMostEvery250Ms) {
    FakeClock clock;
    form->Client()->TimeSource = &clock;
    ui->onProcessEvents = nullptr;
    form->ClientWork(512);
    EXPECT_EQ(ui->calls.size(), 1u) << "the first progress processes events";
    clock.Sleep(std::chrono::milliseconds(250));
    form->ClientWork(1024);
    EXPECT_EQ(ui->calls.size(), 1u) << "events were processed 250 ms ago";
    clock.Sleep(std::chrono::milliseconds(1));
    form->ClientWork(1536);
    clock.Sleep(std::chrono::milliseconds(250));
    form->ClientWork(2048);
    form->ClientWorkEnd();
    EXPECT_EQ(ui->calls, (std::vector<std::string>{"ProcessEvents", "ProcessEvents"}))
        << "the time of the last processing is kept";
}

TEST_F(FrameTest, UploadWritesOneLogLinePerWorkEvent) {
    // "DEBUG1" switches the log on without a debug level, so Put keeps its errors.
    StartLog("DEBUG1");
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 1000));
    form->btnPutClick();

    const std::string log = ReadFile(folder.Path() / "Problem2.TXT");
    std::vector<std::string> lines;
    for (auto at = log.find(">Work"); at != std::string::npos; at = log.find(">Work", at + 1)) {
        lines.push_back(log.substr(at + 1, log.find("<\r\n", at) - at - 1));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"WorkBeginEvent 1 1000", "WorkEvent 512",
                                               "WorkEvent 1000", "WorkEndEvent "}));
}

TEST_F(FrameTest, CancelDuringASilentWaitIsReportedWithinAboutASecond) {
    DeviceMisbehaves(SilentAfter(0));
    ui->SetValue(seTO, 8);
    WriteFile(device / "slow.bin", PatternBytes(100));
    ui->dialogAnswers.push_back(PathText(data / "slow.bin"));
    DuringSilentWait([this] { form->btnCancelClick(); });
    form->btnGetClick();

    EXPECT_EQ(Message(), "TFTP get file failed!\r\rOperation canceled");
    EXPECT_LT(stepToMessageMs, 2500u) << "noticed at the end of the current slice";
    ASSERT_GE(stepSnapshot, 0);
    for (auto seen = snapshots.begin() + stepSnapshot; seen != snapshots.end(); ++seen) {
        EXPECT_FALSE(seen->cancelEnabled) << "disabled from the click to the end";
    }
    ExpectIdle();
}

TEST_F(FrameTest, CancelPressedBeforeTheClientStartsIsNotLost) {
    // The client clears its flag as a transfer starts; a press while the preparation lets
    // events through must still stop it.
    ui->onProcessEvents = [this] {
        if (ui->Enabled(btnCancel)) {
            form->btnCancelClick();
        }
    };
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 100));
    form->btnPutClick();
    EXPECT_EQ(Message(), "TFTP put file failed!\r\rEIdTFTPException: Operation canceled");
    EXPECT_FALSE(fs::exists(device / "cfg.bin"));
}

TEST_F(FrameTest, CloseDuringATransferSavesAtOnceAndCancels) {
    DeviceMisbehaves(SilentAfter(0));
    ui->SetValue(seTO, 8);
    bool savedAtClose = false;
    bool cutShort = false;
    DuringSilentWait([&] {
        // What a toolkit's window (HandlerRunner) does when the close box is clicked now.
        form->FormClose();
        savedAtClose = fs::exists(SettingsFile());
        cutShort = form->CancelForClose();
    });
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 1000));
    form->btnPutClick();
    EXPECT_TRUE(savedAtClose);
    EXPECT_TRUE(cutShort);
    EXPECT_LT(stepToMessageMs, 2500u) << "not the eight seconds of the time-out";
    EXPECT_EQ(Message(), "TFTP put file failed!\r\rEIdTFTPException: Operation canceled");
    EXPECT_FALSE(ui->messages.back().evenWhileClosing) << "the closing window shows no box";
    ExpectIdle();
}

// The device holds the whole file once the last block is out (it may be flashing it): a close
// then waits for the upload's own end, and its result is still shown.
TEST_F(FrameTest, CloseAfterAnUploadsLastBlockLetsItEndAndShowsItsResult) {
    DeviceMisbehaves(SilentAfter(1)); // the last block, DATA 2, is never acknowledged
    ui->SetValue(seTO, 2);
    DuringSilentWait([&] {
        form->FormClose();
        EXPECT_FALSE(form->CancelForClose() || ui->Enabled(btnCancel));
    });
    const std::string path = DataFile("cfg.bin", 600);
    ui->dialogAnswers.push_back(path);
    form->btnPutClick();
    EXPECT_GE(stepSnapshot, 0);
    EXPECT_EQ(Message(), "File \"" + path + "\" successfull sent");
    EXPECT_TRUE(ui->messages.back().evenWhileClosing);
}

} // namespace
