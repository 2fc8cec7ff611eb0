// The transfer buttons of the real Qt window on the offscreen platform, against the device
// simulator served in-process on the loopback address: the wiring, the bar and the hourglass, an
// error passed on, and a close while a transfer runs.
#include "app/TestFiles.h"
#include "app/qt/MainWindow.h"
#include "sim/SimServer.h"
#include "support/Tr_Util.h"
#include "tftp/IdTrivialFTP.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

using enum Control;

namespace {

// Works the modal dialogs and boxes the window opens, one scripted step per dialog, from a
// timer. The timer also fires inside the window's own event processing during a transfer, where
// whileNoModal can act as a user would. A dialog nobody scripted is rejected, so a test cannot
// hang on it.
class ModalDriver {
public:
    using Step = std::function<void(QWidget&)>;

    ModalDriver() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(10);
    }

    std::deque<Step> steps;
    std::function<void()> whileNoModal;
    std::vector<QString> titles; // of every dialog and box, in order
    std::vector<QString> texts;  // of every box

private:
    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (whileNoModal) {
                whileNoModal();
            }
            return;
        }
        titles.push_back(modal->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts.push_back(box->text());
        }
        if (steps.empty()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            return;
        }
        const Step step = steps.front();
        steps.pop_front();
        step(*modal);
    }

    QTimer timer_;
};

// A step never throws (an exception must not pass through Qt's event handling): given the
// wrong kind of dialog it records a test failure and rejects it.
ModalDriver::Step PressOk() {
    return [](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << modal.metaObject()->className();
            qobject_cast<QDialog*>(&modal)->reject();
            return;
        }
        box->button(QMessageBox::Ok)->click();
    };
}

SimOptions DeviceOptions(const fs::path& folder, bool silent) {
    SimOptions options;
    options.folder = folder.string();
    options.bindAddress = "127.0.0.1";
    options.timeoutMs = 300;
    options.retries = 2;
    if (silent) {
        options.faults.silentAfterBlock = 0;
    }
    options.log = [](const std::string&) {};
    return options;
}

class QtTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(deviceFolder);
        fs::create_directory(data);
    }

    // The window, connected to the simulator; silent: the device stops answering after its
    // first reply.
    std::unique_ptr<MainWindow> Open(bool silent, std::vector<std::string> params = {}) {
        device = std::make_unique<SimServerThread>(DeviceOptions(deviceFolder, silent));
        const std::string program = (folder.Path() / "quorvel").string();
        params.insert(params.begin(), program);
        auto window = std::make_unique<MainWindow>(program, params);
        Line(*window, eIP).setText("127.0.0.1");
        window->Form().TargetPort = device->Port();
        window->show();
        return window;
    }

    // The next file dialog of the window is answered with file, as a user would choose it.
    static void WillChoose(MainWindow& window, const fs::path& file) {
        QtToolkit& toolkit = window.Toolkit();
        toolkit.answerFileDialog = [&toolkit, file](const FileDialogRequest&) {
            std::optional<std::string> chosen = file.string();
            toolkit.answerFileDialog = nullptr; // destroys this function: use nothing of it after
            return chosen;
        };
    }

    static QPushButton& Button(MainWindow& window, Control control) {
        return dynamic_cast<QPushButton&>(window.Widget(control));
    }
    static QLineEdit& Line(MainWindow& window, Control control) {
        return dynamic_cast<QLineEdit&>(window.Widget(control));
    }
    static void ExpectIdle(MainWindow& window) {
        EXPECT_TRUE(window.Widget(GroupBox1).isEnabled());
        EXPECT_TRUE(window.Widget(GroupBox2).isEnabled());
        EXPECT_TRUE(window.Widget(btnCancel).isHidden());
        EXPECT_TRUE(window.Widget(ProgressBar1).isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    TempFolder folder;
    fs::path deviceFolder = folder.Path() / "device";
    fs::path data = folder.Path() / "data";
    std::unique_ptr<SimServerThread> device;
    ModalDriver driver;
};

TEST_F(QtTransferTest, ActionButtonsOpenTheirDialogs) {
    auto window = Open(false);
    for (Control button : {btnPut, btnGet, btnFirmware}) {
        Button(*window, button).click();
        ExpectIdle(*window);
    }
    EXPECT_EQ(driver.titles,
              (std::vector<QString>{"Select file for sending", "Select filename for receiving",
                                    "Select file for firmware update"}));
}

TEST_F(QtTransferTest, CancelButtonSetsTheClientsFlag) {
    auto window = Open(false);
    window->Form().SetIdleState(false);
    EXPECT_TRUE(window->Widget(btnCancel).isVisible());
    Button(*window, btnCancel).click();
    EXPECT_TRUE(window->Form().Client->CancelRequested);
    EXPECT_FALSE(window->Widget(btnCancel).isEnabled());
}

TEST_F(QtTransferTest, PutShowsTheBarUnderItsButtonTheHourglassAndTheResult) {
    auto window = Open(false);
    const fs::path file = data / "cfg.bin";
    WriteFileText(file, std::string(3000, 'x'));
    WillChoose(*window, file);
    // The result box comes while the action still runs: the bar and the hourglass are up.
    bool barSeen = false;
    bool hourglassSeen = false;
    driver.steps = {[&](QWidget& box) {
        barSeen = window->Widget(ProgressBar1).isVisible() &&
                  window->Widget(ProgressBar1).geometry() == QRect(278, 45, 85, 13);
        const QCursor* cursor = QApplication::overrideCursor();
        hourglassSeen = cursor && cursor->shape() == Qt::WaitCursor;
        PressOk()(box);
    }};
    Button(*window, btnPut).click();

    EXPECT_EQ(ReadFileText(deviceFolder / "cfg.bin"), std::string(3000, 'x'));
    ASSERT_EQ(driver.texts.size(), 1u);
    EXPECT_EQ(driver.texts[0],
              QString::fromStdString("File \"" + file.string() + "\" successfull sent"));
    EXPECT_TRUE(barSeen);
    EXPECT_TRUE(hourglassSeen);
    ExpectIdle(*window);
}

TEST_F(QtTransferTest, ErrorPassedOnIsShownInABoxAndTheWindowIsUsableAgain) {
    auto window = Open(false, {"-ex"});
    const fs::path file = data / "missing.bin";
    WillChoose(*window, file);
    driver.steps = {PressOk(), PressOk()};
    Button(*window, btnGet).click();
    ASSERT_EQ(driver.texts.size(), 2u);
    EXPECT_EQ(driver.texts[0], "TFTP get file failed!\n\n\"File not found\"");
    EXPECT_EQ(driver.texts[1], "\"File not found\"") << "the error's own message";
    EXPECT_EQ(driver.titles.back(), "quorvel") << "the application's title";
    EXPECT_FALSE(fs::exists(file));
    ExpectIdle(*window);
    EXPECT_TRUE(window->isVisible());
}

// The close box, or Esc, while the client waits for a silent device: the settings are saved
// at once, the transfer is cancelled, no box is left to answer, and the window closes after
// the action has returned.
TEST_F(QtTransferTest, CloseDuringATransferEndsPromptlyWithoutABox) {
    for (bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Esc" : "close box");
        fs::remove(folder.Path() / "quorvel.INI");
        auto window = Open(true);
        dynamic_cast<QSpinBox&>(window->Widget(seTO)).setValue(8);
        const fs::path file = data / "cfg.bin";
        WriteFileText(file, std::string(2000, 's'));
        WillChoose(*window, file);
        driver.texts.clear();
        std::uint32_t busySince = 0;
        bool closing = false;
        bool savedAtClose = false;
        driver.whileNoModal = [&] {
            if (closing || window->Widget(btnCancel).isHidden()) {
                return;
            }
            busySince = busySince ? busySince : TickCount();
            if (TickDiff(busySince) < 1200) {
                return;
            }
            closing = true;
            if (byEscape) {
                QTest::keyClick(&window->Widget(btnClose), Qt::Key_Escape);
            } else {
                window->close();
            }
            savedAtClose = fs::exists(folder.Path() / "quorvel.INI");
        };
        const std::uint32_t start = TickCount();
        Button(*window, btnPut).click();
        driver.whileNoModal = nullptr;

        EXPECT_TRUE(savedAtClose) << "saved as the close began";
        EXPECT_FALSE(window->isVisible()) << "closed once the action had returned";
        EXPECT_TRUE(driver.texts.empty()) << "no box after the close";
        EXPECT_LT(TickDiff(start), 6000u) << "not the eight seconds of the time-out";
        EXPECT_FALSE(fs::exists(deviceFolder / "cfg.bin"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

} // namespace
