// The COM port test and the transfer mode wake-up, against a pseudo-terminal that stands in for
// the serial line: the test plays the device on the master side while the window's logic waits.
#include "serial/zivud232.h"
#include "tests/app/FormFixture.h"
#include "tests/kit/FakeClock.h"
#include "tests/serial/PtyPair_posix.h"
#include "tftp/IdTrivialFTP.h"

#include <chrono>
#include <cstdlib>

using enum Control;

namespace {

constexpr int kCom = 37;
constexpr int kMissingCom = 38;
const std::string kFailed = "Start of Transfer mode failed!";

bool PortIsFree(int number) {
    TPivotobject probe;
    return probe.OpenPort(number, 9600, 'n');
}

class PortActionsTest : public FormTest {
protected:
    void SetUp() override {
        ::setenv("QUORVEL_COM38", "/nonexistent/quorvel-tty", 1);
        Start();
        SelectCom(kCom);
        ui->SetValue(seTO, 1);
        // The device answers as soon as it has heard the wake-up; the user may cancel.
        ui->onProcessEvents = [this] {
            if (++slices == 1) {
                wakeUp = device.Received(3);
                device.Send(answer);
            }
            if (slices == cancelAt) {
                form->btnCancelClick();
            }
            busy = !ui->Enabled(GroupBox1) && !ui->Enabled(GroupBox2) && ui->Visible(btnCancel) &&
                   ui->cursor == Cursor::Hourglass;
        };
        ui->onMessage = [this](const MessageRequest&) { heldDuringBox = !PortIsFree(kCom); };
    }
    void TearDown() override { ::unsetenv("QUORVEL_COM38"); }

    void SelectCom(int number) { ui->SetValue(cbPort, number - 1); }
    Colour ListColour() { return (*ui)[cbPort].colour; }

    // Runs the command; returns the one box it showed.
    MessageRequest SetTransferMode() {
        slices = 0;
        ui->messages.clear();
        form->btnsetTransfermodeClick();
        EXPECT_EQ(ui->messages.size(), 1u);
        EXPECT_TRUE(ui->Enabled(GroupBox1) && ui->Enabled(btnCancel) && !ui->Visible(btnCancel));
        EXPECT_EQ(ui->cursor, Cursor::Arrow);
        EXPECT_TRUE(PortIsFree(kCom)) << "the port is released afterwards";
        return ui->messages.back();
    }

    PtyPair device{kCom};
    // For a silent line: the waits for the port pass at once.
    FakeClock clock;
    std::string answer;
    int cancelAt = 0;
    int slices = 0;
    std::string wakeUp;
    bool busy = false;
    bool heldDuringBox = false;
};

TEST_F(PortActionsTest, PortTestColoursTheListByWhetherThePortOpens) {
    form->cbPortChange();
    EXPECT_EQ(ListColour(), Colour::Window);
    SelectCom(kMissingCom);
    form->cbPortChange();
    EXPECT_EQ(ListColour(), Colour::LightRed);
    EXPECT_EQ(ui->Value(cbPort), kMissingCom - 1) << "the selection stays";
    form->cbPortDropDown();
    EXPECT_EQ(ListColour(), Colour::Window) << "normal while the list is open";
    form->cbPortCloseUp();
    EXPECT_EQ(ListColour(), Colour::LightRed);

    // A port another program holds counts as missing; the test itself holds nothing.
    SelectCom(kCom);
    {
        TPivotobject other;
        ASSERT_TRUE(other.OpenPort(kCom, 115200, 'n'));
        form->cbPortCloseUp();
        EXPECT_EQ(ListColour(), Colour::LightRed);
    }
    form->cbPortChange();
    EXPECT_EQ(ListColour(), Colour::Window);
    EXPECT_TRUE(PortIsFree(kCom));
    EXPECT_TRUE(ui->messages.empty()) << "a failed port test shows no message";
}

TEST_F(PortActionsTest, AnswerIsShownAsReceivedUpToAThousandBytes) {
    answer = "TRANSFER MODE\r\n\x01\x7f";
    const MessageRequest box = SetTransferMode();
    EXPECT_EQ(wakeUp, "&&&");
    EXPECT_EQ(slices, 1) << "the first slice brought the answer";
    EXPECT_EQ(box.text, answer);
    EXPECT_EQ(box.kind, MessageKind::Custom);

    answer.clear();
    for (int i = 0; i < 1500; ++i) {
        answer += static_cast<char>('A' + i % 26);
    }
    EXPECT_EQ(SetTransferMode().text, answer.substr(0, 1000));
}

TEST_F(PortActionsTest, SilentDeviceIsHeardForTheTimeOutWithThePortHeldUntilTheBoxCloses) {
    form->Client()->TimeSource = &clock;
    const MessageRequest box = SetTransferMode();
    EXPECT_EQ(box.text, kFailed);
    EXPECT_EQ(box.kind, MessageKind::Custom);
    EXPECT_EQ(wakeUp, "&&&");
    EXPECT_EQ(slices, 10) << "ten slices of about 100 ms per second of time-out";
    // Three pauses of 50 ms after the wake-ups, ten slices of 99 ms (the port waits 1 ms less).
    EXPECT_EQ(clock.Skipped(), std::chrono::milliseconds(3 * 50 + 10 * 99));
    EXPECT_TRUE(busy);
    EXPECT_TRUE(heldDuringBox);
}

TEST_F(PortActionsTest, CancelEndsTheWaitAfterTheCurrentSlice) {
    form->Client()->TimeSource = &clock;
    ui->SetValue(seTO, 16);
    cancelAt = 3;
    EXPECT_EQ(SetTransferMode().text, kFailed);
    EXPECT_EQ(slices, 3);
}

TEST_F(PortActionsTest, PortThatCannotBeOpenedIsNamedInTheWarning) {
    SelectCom(kMissingCom);
    const MessageRequest box = SetTransferMode();
    EXPECT_EQ(box.text, kFailed + "\r\rUnable to open RS232port COM38");
    EXPECT_EQ(box.kind, MessageKind::Warning);
    EXPECT_EQ(slices, 0) << "nothing is sent or awaited";

    SelectCom(kCom);
    TPivotobject other; // another program holds the port
    ASSERT_TRUE(other.OpenPort(kCom, 115200, 'n'));
    form->btnsetTransfermodeClick();
    EXPECT_EQ(ui->messages.back().text, kFailed + "\r\rUnable to open RS232port COM37");
    EXPECT_EQ(device.Received(1, std::chrono::milliseconds(200)), "");
}

} // namespace
