// The COM port test and the transfer mode wake-up, against a pseudo-terminal that stands in for
// the serial line: the test plays the device on the master side while the window's logic waits.
#include "app/FormFixture.h"
#include "serial/PtyPair.h"
#include "serial/zivud232.h"
#include "tftp/IdTrivialFTP.h"

#include <chrono>
#include <cstdlib>

using enum Control;

namespace {

constexpr int kCom = 37;
constexpr int kMissingCom = 38;

// Points COM<number> at a device that does not exist, for as long as it lives.
class MissingPort {
public:
    explicit MissingPort(int number) : variable_("QUORVEL_COM" + std::to_string(number)) {
        ::setenv(variable_.c_str(), "/nonexistent/quorvel-tty", 1);
    }
    ~MissingPort() { ::unsetenv(variable_.c_str()); }
    MissingPort(const MissingPort&) = delete;
    MissingPort& operator=(const MissingPort&) = delete;

private:
    std::string variable_;
};

bool PortIsFree(int number) {
    TPivotobject probe;
    return probe.OpenPort(number, 9600, 'n');
}

class PortActionsTest : public FormTest {
protected:
    void SetUp() override {
        Start();
        SelectCom(kCom);
    }
    void SelectCom(int number) { ui->SetValue(cbPort, number - 1); }

    PtyPair device{kCom};
    MissingPort missing{kMissingCom};
};

TEST_F(PortActionsTest, PortTestColoursTheListByWhetherThePortOpens) {
    form->cbPortChange();
    EXPECT_EQ((*ui)[cbPort].colour, Colour::Window);

    SelectCom(kMissingCom);
    form->cbPortChange();
    EXPECT_EQ((*ui)[cbPort].colour, Colour::LightRed);
    EXPECT_EQ(ui->Value(cbPort), kMissingCom - 1) << "the selection stays";
    form->cbPortDropDown();
    EXPECT_EQ((*ui)[cbPort].colour, Colour::Window) << "normal while the list is open";
    form->cbPortCloseUp();
    EXPECT_EQ((*ui)[cbPort].colour, Colour::LightRed);

    // A port another program holds counts as missing; the test itself holds nothing.
    SelectCom(kCom);
    {
        TPivotobject other;
        ASSERT_TRUE(other.OpenPort(kCom, 115200, 'n'));
        form->cbPortCloseUp();
        EXPECT_EQ((*ui)[cbPort].colour, Colour::LightRed);
    }
    form->cbPortChange();
    EXPECT_EQ((*ui)[cbPort].colour, Colour::Window);
    EXPECT_TRUE(PortIsFree(kCom));
    EXPECT_TRUE(ui->messages.empty()) << "a failed port test shows no message";
}

class TransferModeTest : public PortActionsTest {
protected:
    void SetUp() override {
        PortActionsTest::SetUp();
        ui->SetValue(seTO, 1);
        ui->onProcessEvents = [this] {
            ++slices;
            if (slices == 1) {
                wakeUp = device.Received(3);
            }
            busyWhileWaiting = !ui->Enabled(GroupBox1) && !ui->Enabled(GroupBox2) &&
                               ui->Visible(btnCancel) && ui->cursor == Cursor::Hourglass;
        };
        ui->onMessage = [this](const MessageRequest&) { heldDuringBox = !PortIsFree(kCom); };
    }

    // Plays a device that answers as soon as it has heard the wake-up.
    void AnswerWith(const std::string& answer) {
        ui->onProcessEvents = [this, answer] {
            if (++slices == 1) {
                wakeUp = device.Received(3);
                device.Send(answer);
            }
        };
    }

    const MessageRequest& OnlyMessage() const {
        EXPECT_EQ(ui->messages.size(), 1u);
        return ui->messages.back();
    }

    void ExpectIdleWithPortReleased() const {
        EXPECT_TRUE(ui->Enabled(GroupBox1));
        EXPECT_TRUE(ui->Enabled(GroupBox2));
        EXPECT_FALSE(ui->Visible(btnCancel));
        EXPECT_TRUE(ui->Enabled(btnCancel));
        EXPECT_EQ(ui->cursor, Cursor::Arrow);
        EXPECT_TRUE(PortIsFree(kCom));
    }

    int slices = 0;
    std::string wakeUp;
    bool busyWhileWaiting = false;
    bool heldDuringBox = false;
};

TEST_F(TransferModeTest, AnswerIsShownExactlyAsReceived) {
    const std::string answer = "TRANSFER MODE\r\n\x01\x7f end";
    AnswerWith(answer);
    form->btnsetTransfermodeClick();
    EXPECT_EQ(wakeUp, "&&&");
    EXPECT_EQ(slices, 1) << "the first slice brought the answer";
    const MessageRequest& box = OnlyMessage();
    EXPECT_EQ(box.text, answer);
    EXPECT_EQ(box.kind, MessageKind::Custom);
    EXPECT_EQ(box.caption, form->ApplicationTitle());
    ExpectIdleWithPortReleased();
}

TEST_F(TransferModeTest, SilentDeviceListensForTheTimeOutWithThePortHeldUntilTheBoxCloses) {
    const auto start = std::chrono::steady_clock::now();
    form->btnsetTransfermodeClick();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(wakeUp, "&&&");
    EXPECT_EQ(slices, 10) << "ten slices of about 100 ms per second of time-out";
    EXPECT_TRUE(busyWhileWaiting);
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    EXPECT_EQ(OnlyMessage().text, "Start of Transfer mode failed!");
    EXPECT_EQ(OnlyMessage().kind, MessageKind::Custom);
    EXPECT_TRUE(heldDuringBox);
    ExpectIdleWithPortReleased();
}

TEST_F(TransferModeTest, CancelEndsTheWaitAfterTheCurrentSlice) {
    ui->SetValue(seTO, 16);
    ui->onProcessEvents = [this] {
        if (++slices == 3) {
            form->btnCancelClick();
        }
    };
    form->btnsetTransfermodeClick();
    EXPECT_EQ(slices, 3);
    EXPECT_EQ(OnlyMessage().text, "Start of Transfer mode failed!");
    ExpectIdleWithPortReleased();
}

TEST_F(TransferModeTest, LongAnswerIsCutAfterTheFirstThousandBytes) {
    std::string answer;
    for (int i = 0; i < 1500; ++i) {
        answer += static_cast<char>('A' + i % 26);
    }
    AnswerWith(answer);
    form->btnsetTransfermodeClick();
    EXPECT_EQ(OnlyMessage().text, answer.substr(0, 1000));
    ExpectIdleWithPortReleased();
}

TEST_F(TransferModeTest, DeviceThatHangsUpEndsLikeOneThatIsSilent) {
    ui->onProcessEvents = [this] {
        if (++slices == 1) {
            device.HangUp();
        }
    };
    form->btnsetTransfermodeClick();
    EXPECT_EQ(OnlyMessage().text, "Start of Transfer mode failed!");
    EXPECT_TRUE(ui->Enabled(GroupBox1));
}

TEST_F(TransferModeTest, PortThatCannotBeOpenedIsNamedInTheWarning) {
    SelectCom(kMissingCom);
    form->btnsetTransfermodeClick();
    const MessageRequest& box = OnlyMessage();
    EXPECT_EQ(box.text, "Start of Transfer mode failed!\r\rUnable to open RS232port COM38");
    EXPECT_EQ(box.kind, MessageKind::Warning);
    EXPECT_EQ(box.caption, "Warnung");
    EXPECT_EQ(slices, 0) << "nothing is sent or awaited";
    ExpectIdleWithPortReleased();

    // A port held by another program.
    ui->messages.clear();
    SelectCom(kCom);
    TPivotobject other;
    ASSERT_TRUE(other.OpenPort(kCom, 115200, 'n'));
    form->btnsetTransfermodeClick();
    EXPECT_EQ(OnlyMessage().text,
              "Start of Transfer mode failed!\r\rUnable to open RS232port COM37");
    EXPECT_EQ(device.Received(1, std::chrono::milliseconds(200)), "");
}

} // namespace
