// The frame every transfer runs in: busy and idle states, the client's preparation, the
// progress bar arithmetic, the work events' log lines, event processing and cancel.
#include "app/TransferFixture.h"

#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

#include <cstdlib>
#include <limits>

namespace {

using FrameTest = TransferTest;

TEST_F(FrameTest, BusyDisablesBothGroupsAndShowsAnEnabledCancelIdleUndoesAll) {
    form->SetIdleState(false);
    EXPECT_FALSE(ui->Enabled(GroupBox1));
    EXPECT_FALSE(ui->Enabled(GroupBox2));
    EXPECT_TRUE(ui->Visible(btnCancel));
    EXPECT_TRUE(ui->Enabled(btnCancel));
    EXPECT_TRUE(ui->Enabled(btnClose)) << "Close stays usable";
    EXPECT_TRUE(ui->calls.empty()) << "going busy leaves the cursor alone";

    form->PrepareTransfer(ui->GetBounds(btnGet).left);
    form->btnCancelClick();
    EXPECT_TRUE(form->Client->CancelRequested);
    EXPECT_FALSE(ui->Enabled(btnCancel));
    EXPECT_EQ((*ui)[btnCancel].repaints, 1) << "the pressed button is repainted at once";

    form->SetIdleState(true);
    ExpectIdle();
}

TEST_F(FrameTest, PrepareHandsTheNetworkConnectionToTheClientAndShowsTheBar) {
    ui->SetValue(seTO, 16);
    (*ui)[ProgressBar1].value = 70;
    form->PrepareTransfer(ui->GetBounds(btnFirmware).left);

    const TIdTrivialFTP& client = *form->Client;
    EXPECT_EQ(client.Host, "127.0.0.1");
    EXPECT_EQ(client.Port, form->TargetPort);
    EXPECT_EQ(client.ReceiveTimeout, 16000);
    EXPECT_EQ(client.RequestedBlockSize, 512);
    EXPECT_TRUE(client.OnWorkBegin && client.OnWork && client.OnWorkEnd);

    EXPECT_EQ(ui->GetBounds(ProgressBar1), (Bounds{8, 45, 85, 13})) << "under the button";
    EXPECT_EQ(ui->Value(ProgressBar1), 0);
    EXPECT_TRUE(ui->Visible(ProgressBar1));
    EXPECT_EQ(form->ProgressCarry, 0);
    // The bar and the groups are painted first, then the hourglass.
    EXPECT_EQ(ui->calls, (std::vector<std::string>{"ProcessEvents", "Cursor Hourglass"}));
}

TEST_F(FrameTest, PrepareForTheSerialLineLeavesTheHostEmpty) {
    Start({"-f:25"});
    ui->SetChecked(rb2, true);
    ui->SetValue(cbPort, 4);
    form->PrepareTransfer(ui->GetBounds(btnPut).left);
    EXPECT_EQ(form->Client->Host, "");
    EXPECT_EQ(form->Client->Port, 5);
    EXPECT_EQ(form->Client->SerialGapTimeout, 25);
    EXPECT_EQ(ui->GetBounds(ProgressBar1).left, 278);
}

TEST_F(FrameTest, EmptyHostFieldIsRefilledWithTheFactoryAddress) {
    // Nothing is sent here: the transfer that would follow must never run in a test.
    ui->onProcessEvents = nullptr;
    ui->SetText(eIP, "");
    form->PrepareTransfer(0);
    EXPECT_EQ(ui->Text(eIP), kFactoryAddress);
    EXPECT_EQ(form->Client->Host, kFactoryAddress);
}

TEST_F(FrameTest, BarMaximumFollowsTheAnnouncedSizeAndTheCarry) {
    form->ClientWorkBegin(nullptr, workWrite, 1000);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1001) << "an upload ends one short of full";

    form->ClientWorkBegin(nullptr, workRead, 0);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 10000) << "a download's size is unknown";
    form->ClientWork(nullptr, workRead, 25000);
    EXPECT_EQ(ui->Value(ProgressBar1), 5000) << "the bar cycles";

    form->ProgressCarry = 30;
    form->ClientWorkBegin(nullptr, workWrite, 1000);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1031);
    form->ProgressCarry = -1000;
    form->ClientWorkBegin(nullptr, workWrite, 30);
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1031) << "a negative carry keeps the maximum";
    form->ClientWork(nullptr, workWrite, 30);
    EXPECT_EQ(ui->Value(ProgressBar1), 1030);

    // Close to 2 GiB plus a companion: the bar's maximum must not overflow.
    form->ProgressCarry = std::numeric_limits<std::int32_t>::max();
    form->ClientWorkBegin(nullptr, workWrite, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ui->Maximum(ProgressBar1), std::numeric_limits<int>::max());
}

TEST_F(FrameTest, ProgressProcessesEventsAtMostEvery250Ms) {
    ui->onProcessEvents = nullptr;
    form->LastUiTick = TickCount();
    form->ClientWork(nullptr, workWrite, 512);
    EXPECT_TRUE(ui->calls.empty()) << "events were processed a moment ago";

    form->LastUiTick = TickCount() - 1000;
    form->ClientWork(nullptr, workWrite, 1024);
    EXPECT_EQ(ui->calls, std::vector<std::string>{"ProcessEvents"});
    EXPECT_LT(TickDiff(form->LastUiTick), 1000u) << "the time of the processing is kept";

    ui->calls.clear();
    form->ClientWorkBegin(nullptr, workWrite, 10);
    EXPECT_EQ(ui->calls, std::vector<std::string>{"ProcessEvents"}) << "every begin processes";
    ui->calls.clear();
    form->ClientWorkEnd(nullptr, workWrite);
    EXPECT_TRUE(ui->calls.empty());
}

// The diagnostic log switched on by the "DEBUG1" marker, which logs without a debug level (so
// Put does not pass its errors on).
class WorkLogTest : public TransferTest {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", (folder.Path() / "xdg").c_str(), 1);
        WriteFileText(folder.Path() / "DEBUG1", "");
        LogStartupAt(ProgramPath().string());
        TransferTest::SetUp();
    }

    std::vector<std::string> WorkLines() const {
        std::vector<std::string> lines;
        const std::string log = ReadFileText(folder.Path() / "Problem2.TXT");
        for (std::size_t at = log.find(">Work"); at != std::string::npos;
             at = log.find(">Work", at + 1)) {
            lines.push_back(log.substr(at + 1, log.find("<\r\n", at) - at - 1));
        }
        return lines;
    }
};

TEST_F(WorkLogTest, UploadWritesOneLinePerWorkEvent) {
    ASSERT_FALSE(DebugOn());
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 1000));
    form->btnPutClick();
    EXPECT_EQ(WorkLines(), (std::vector<std::string>{"WorkBeginEvent 1 1000", "WorkEvent 512",
                                                     "WorkEvent 1000", "WorkEndEvent "}));
    EXPECT_EQ(ui->Maximum(ProgressBar1), 1001);
    EXPECT_EQ(ui->Value(ProgressBar1), 1000);
}

TEST_F(WorkLogTest, DownloadWritesReadModeAndRepeatedLinesUnfolded) {
    WriteFileText(deviceFolder / "big.bin", Pattern(25000));
    ui->dialogAnswers.push_back((data / "big.bin").string());
    form->btnGetClick();
    const std::vector<std::string> lines = WorkLines();
    ASSERT_EQ(lines.size(), 1u + 49u + 1u) << "48 full blocks and a short one";
    EXPECT_EQ(lines.front(), "WorkBeginEvent 0 0");
    EXPECT_EQ(lines.at(49), "WorkEvent 25000");
    EXPECT_EQ(lines.back(), "WorkEndEvent ");
    EXPECT_EQ(ui->Maximum(ProgressBar1), 10000);
    EXPECT_EQ(ui->Value(ProgressBar1), 5000);
}

TEST_F(FrameTest, CancelDuringASilentWaitIsReportedWithinAboutASecond) {
    DeviceMisbehaves(SilentAfter(0));
    SetTimeout(8);
    WriteFileText(deviceFolder / "slow.bin", Pattern(100));
    ui->dialogAnswers.push_back((data / "slow.bin").string());
    CancelDuringSilentWait();
    form->btnGetClick();

    EXPECT_EQ(OnlyMessage().text, "TFTP get file failed!\r\rOperation canceled");
    EXPECT_LT(StepToMessageMs(), 2500u) << "noticed at the end of the current slice";
    ASSERT_GE(StepSnapshot(), 0);
    for (auto seen = snapshots.begin() + StepSnapshot(); seen != snapshots.end(); ++seen) {
        EXPECT_FALSE(seen->cancelEnabled) << "disabled from the click to the end";
    }
    ExpectIdle();
}

TEST_F(FrameTest, CancelPressedBeforeTheClientStartsIsNotLost) {
    // The client clears its flag as a transfer starts; the press during the preparation's event
    // processing must still stop it.
    bool pressed = false;
    ui->onProcessEvents = [&] {
        if (!pressed) {
            pressed = true;
            form->btnCancelClick();
        }
    };
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 100));
    form->btnPutClick();
    EXPECT_EQ(OnlyMessage().text, "TFTP put file failed!\r\rEIdTFTPException: Operation canceled");
    EXPECT_FALSE(OnDevice("cfg.bin"));
    ExpectIdle();
}

TEST_F(FrameTest, CloseDuringATransferSavesAtOnceCancelsAndLeavesTheWindowIdle) {
    DeviceMisbehaves(SilentAfter(0));
    SetTimeout(8);
    bool savedAtClose = false;
    DuringSilentWait([&] {
        // What the toolkit does when the close box is clicked now.
        form->FormClose();
        savedAtClose = fs::exists(SettingsFile());
        form->CancelForClose();
    });
    ui->dialogAnswers.push_back(DataFile("cfg.bin", 100));
    const std::uint32_t start = TickCount();
    form->btnPutClick();
    EXPECT_TRUE(savedAtClose);
    EXPECT_NE(ReadFileText(SettingsFile()).find("host=127.0.0.1"), std::string::npos);
    EXPECT_LT(TickDiff(start), 5000u) << "not the eight seconds of the time-out";
    EXPECT_EQ(OnlyMessage().text, "TFTP put file failed!\r\rEIdTFTPException: Operation canceled");
    ExpectIdle();
}

} // namespace
