#include "app/TransferFixture.h"

#include "support/Save_Err_Testing.h"
#include "tftp/IdTrivialFTP.h"

#include <stdexcept>
#include <utility>

namespace {

SimOptions DeviceOptions(const fs::path& folder, const SimFaults& faults) {
    SimOptions options;
    options.folder = folder.string();
    options.bindAddress = "127.0.0.1";
    options.timeoutMs = 300;
    options.retries = 2;
    options.faults = faults;
    options.log = [](const std::string&) {};
    return options;
}

} // namespace

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 512) & 0xFF);
    }
    return bytes;
}

SimFaults SilentAfter(unsigned block) {
    SimFaults faults;
    faults.silentAfterBlock = block;
    return faults;
}

SimFaults RefusesWith(std::uint16_t code, const std::string& text) {
    SimFaults faults;
    faults.errorCode = code;
    faults.errorText = text;
    faults.errorAtBlock = 0;
    return faults;
}

void TransferTest::SetUp() {
    fs::create_directory(deviceFolder);
    fs::create_directory(data);
    Start();
    DeviceMisbehaves({});
    SetTimeout(1);
    ui->onProcessEvents = [this] { OnProcessEvents(); };
    ui->onMessage = [this](const MessageRequest&) { messageTick_ = TickCount(); };
}

void TransferTest::TearDown() {
    savelog_testing::Reset();
}

void TransferTest::DeviceMisbehaves(const SimFaults& faults) {
    device.reset();
    device = std::make_unique<SimServerThread>(DeviceOptions(deviceFolder, faults));
    ui->SetText(eIP, "127.0.0.1");
    form->TargetPort = device->Port();
}

void TransferTest::OnProcessEvents() {
    const TIdTrivialFTP& client = *form->Client;
    // The last moment to stop a transfer to a real address: no datagram has left yet.
    if (ui->Visible(ProgressBar1) && !client.Host.empty() && client.Host != "127.0.0.1") {
        throw std::logic_error("a test transfer must stay on the loopback address");
    }
    const std::uint32_t now = TickCount();
    if (!firstEventTick_) {
        firstEventTick_ = now;
    }
    if (duringWait_ && TickDiffBetween(*firstEventTick_, now) >= 500) {
        stepTick_ = now;
        stepSnapshot_ = static_cast<std::ptrdiff_t>(snapshots.size());
        std::exchange(duringWait_, nullptr)();
    }
    snapshots.push_back({ui->Value(ProgressBar1), ui->Maximum(ProgressBar1), form->ProgressCarry,
                         ui->Enabled(btnCancel), now});
}

void TransferTest::DeviceIsMute() {
    mute.emplace("127.0.0.1", 0);
    form->TargetPort = mute->Local().port;
}

void TransferTest::DuringSilentWait(std::function<void()> step) {
    duringWait_ = std::move(step);
}

std::string TransferTest::DataFile(const std::string& name, std::size_t size) const {
    const fs::path path = data / name;
    WriteFileText(path, Pattern(size));
    return path.string();
}

std::string TransferTest::DeviceFile(const std::string& name) const {
    return ReadFileText(deviceFolder / name);
}

bool TransferTest::OnDevice(const std::string& name) const {
    return fs::exists(deviceFolder / name);
}

void TransferTest::ExpectIdle() const {
    EXPECT_TRUE(ui->Enabled(GroupBox1));
    EXPECT_TRUE(ui->Enabled(GroupBox2));
    EXPECT_FALSE(ui->Visible(btnCancel));
    EXPECT_TRUE(ui->Enabled(btnCancel));
    EXPECT_FALSE(ui->Visible(ProgressBar1));
    EXPECT_EQ(ui->cursor, Cursor::Arrow);
    EXPECT_FALSE(form->Client->CancelRequested);
}

const MessageRequest& TransferTest::OnlyMessage() const {
    if (ui->messages.size() != 1) {
        throw std::logic_error("expected one message, got " + std::to_string(ui->messages.size()));
    }
    return ui->messages.front();
}
