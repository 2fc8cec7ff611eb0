#include "tests/app/TransferFixture.h"
#include "support/PathText.h"

#include "support/Save_Err.h"
#include "support/Save_Err_Testing.h"
#include "tftp/IdTrivialFTP.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>

SimFaults SilentAfter(unsigned block) {
    SimFaults faults;
    faults.silentAfterBlock = block;
    return faults;
}

SimFaults RefusesWith(std::uint16_t code, const std::string& text) {
    SimFaults faults;
    faults.errorCode = code;
    faults.errorText = text;
    return faults;
}

void TransferTest::SetUp() {
    fs::create_directory(device);
    fs::create_directory(data);
    Start();
    form->Client()->TimeSource = &pauses;
    DeviceMisbehaves({});
    ui->SetValue(seTO, 1);
    ui->onProcessEvents = [this] { OnProcessEvents(); };
    ui->onMessage = [this](const MessageRequest&) { stepToMessageMs = TickDiff(stepTick_); };
}

void TransferTest::TearDown() {
    savelog_testing::Reset();
}

void TransferTest::DeviceMisbehaves(const SimFaults& faults) {
    SimOptions options;
    options.folder = PathText(device);
    options.bindAddress = "127.0.0.1";
    options.timeoutMs = 300;
    options.retries = 2;
    options.faults = faults;
    options.log = [](const std::string&) {};
    pauses.LimitRealWaits(FakeClock::Duration::max());
    server_.reset();
    server_ = std::make_unique<SimServerThread>(options);
    ui->SetText(eIP, "127.0.0.1");
    form->TargetPort = server_->Port();
}

void TransferTest::DeviceIsMute() {
    pauses.LimitRealWaits(kSilentSlice);
    mute_.emplace("127.0.0.1", 0);
    form->TargetPort = mute_->Local().Port;
}

void TransferTest::OnProcessEvents() {
    const std::string& host = form->Client()->Host;
    if (ui->Visible(ProgressBar1) && !host.empty() && host != "127.0.0.1") {
        throw std::logic_error("a test transfer must stay on the loopback address");
    }
    const std::uint32_t now = TickCount();
    if (duringWait_ && !snapshots.empty() && TickDiffBetween(snapshots.front().tick, now) >= 500) {
        stepTick_ = now;
        stepSnapshot = static_cast<std::ptrdiff_t>(snapshots.size());
        std::exchange(duringWait_, nullptr)();
    }
    snapshots.push_back({ui->Value(ProgressBar1), ui->Maximum(ProgressBar1), ui->Enabled(btnCancel),
                         form->Cancel().Forbidden(), now});
}

void TransferTest::StartLog(const std::string& marker, const std::string& content) const {
    // The log's start-up also creates the program's data folder: keep it in the test's folder.
    SetEnv("XDG_DATA_HOME", PathText(folder.Path() / "xdg"));
    WriteFile(folder.Path() / marker, content);
    LogStartupAt(PathText(ProgramPath()));
}

std::string TransferTest::DataFile(const std::string& name, std::size_t size) const {
    WriteFile(data / FilePath(name), PatternBytes(size));
    return PathText(data / FilePath(name));
}

const std::string& TransferTest::Message() const {
    EXPECT_EQ(ui->messages.size(), 1u);
    return ui->messages.back().text;
}

void TransferTest::ExpectIdle() const {
    EXPECT_TRUE(ui->Enabled(GroupBox1) && ui->Enabled(GroupBox2));
    EXPECT_TRUE(!ui->Visible(btnCancel) && ui->Enabled(btnCancel));
    EXPECT_FALSE(ui->Visible(ProgressBar1));
    EXPECT_EQ(ui->cursor, Cursor::Arrow);
    EXPECT_FALSE(form->Cancel().Requested() || form->Cancel().Forbidden());
}
