// The transfer buttons of the real Qt window on the offscreen platform, against the device
// simulator served in-process on the loopback address: the wiring, the bar and the hourglass, an
// error passed on, and a close while a transfer runs.
#include "app/qt/MainWindow.h"
#include "sim/SimServer.h"
#include "support/PathText.h"
#include "support/Tr_Util.h"
#include "tests/kit/FakeClock.h"
#include "tests/kit/TempFolder.h"
#include "tftp/IdTrivialFTP.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace fs = std::filesystem;

using enum Control;

namespace {

// Acts as the user from a timer, which also fires inside the window's own event processing
// during a transfer: records and confirms every message box (onBox sees it first), rejects every
// other dialog after noting its title, and runs whileNoModal otherwise. Nothing here may throw
// through Qt's event handling.
class FakeUser {
public:
    FakeUser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(10);
    }
    std::function<void()> onBox;
    std::function<void()> whileNoModal;
    std::vector<QString> titles; // of every dialog and box
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
            if (onBox) {
                onBox();
            }
            box->button(QMessageBox::Ok)->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    }
    QTimer timer_;
};

class QtTransferTest : public ::testing::Test {
protected:
    // The window, connected to the simulator; silent: the device falls silent after its first
    // answer. The next file dialog is answered with the file chosen.
    std::unique_ptr<MainWindow> Open(const fs::path& chosen, bool silent = false,
                                     std::vector<std::string> params = {}) {
        fs::create_directories(device);
        SimOptions options;
        options.folder = PathText(device);
        options.bindAddress = "127.0.0.1";
        if (silent) {
            options.faults.silentAfterBlock = 0;
            clock.LimitRealWaits(std::chrono::milliseconds(250));
        }
        options.log = [](const std::string&) {};
        server = std::make_unique<SimServerThread>(options);

        const std::string program = PathText(folder.Path() / "quorvel");
        params.insert(params.begin(), program);
        auto window = std::make_unique<MainWindow>(program, params);
        window->Toolkit().SetText(eIP, "127.0.0.1");
        window->Form().TargetPort = server->Port();
        if (silent) {
            window->Form().Client()->TimeSource = &clock;
        }
        QtToolkit& toolkit = window->Toolkit();
        toolkit.answerFileDialog = [&toolkit, chosen](const FileDialogRequest&) {
            std::optional<std::string> answer = PathText(chosen);
            toolkit.answerFileDialog = nullptr; // destroys this function: use nothing of it after
            return answer;
        };
        window->show();
        return window;
    }
    static void Click(MainWindow& window, Control button) {
        dynamic_cast<QPushButton&>(window.Widget(button)).click();
    }
    static void ExpectIdle(MainWindow& window) {
        EXPECT_TRUE(window.Widget(GroupBox1).isEnabled() && window.Widget(GroupBox2).isEnabled());
        EXPECT_TRUE(window.Widget(btnCancel).isHidden() && window.Widget(ProgressBar1).isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    TempFolder folder;
    fs::path device = folder.Path() / "device";
    fs::path file = folder.Path() / "cfg.bin";
    std::unique_ptr<SimServerThread> server;
    // The window's clock where the device falls silent: pauses pass at once, and a reply slice
    // in which the simulator (which answers at once if at all) stays silent ends after a quarter
    // of a second.
    FakeClock clock{FakeClock::SystemWaits::Real};
    FakeUser user;
};

TEST_F(QtTransferTest, ActionButtonsOpenTheirDialogsAndCancelSetsTheFlag) {
    auto window = Open(file);
    window->Toolkit().answerFileDialog = nullptr; // Qt's own dialogs, rejected by the user
    for (Control button : {btnPut, btnGet, btnFirmware}) {
        Click(*window, button);
        ExpectIdle(*window);
    }
    EXPECT_EQ(user.titles,
              (std::vector<QString>{"Select file for sending", "Select filename for receiving",
                                    "Select file for firmware update"}));

    window->Form().SetIdleState(false);
    Click(*window, btnCancel);
    EXPECT_TRUE(window->Form().Cancel().Requested());
    EXPECT_FALSE(window->Widget(btnCancel).isEnabled());
}

TEST_F(QtTransferTest, PutShowsTheBarUnderItsButtonTheHourglassAndTheResult) {
    WriteFile(file, std::string(3000, 'x'));
    auto window = Open(file);
    // The result box comes while the action still runs: the bar and the hourglass are up.
    bool barAndHourglass = false;
    user.onBox = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        barAndHourglass = window->Widget(ProgressBar1).isVisible() &&
                          window->Widget(ProgressBar1).geometry() == QRect(278, 45, 85, 13) &&
                          cursor && cursor->shape() == Qt::WaitCursor;
    };
    Click(*window, btnPut);
    EXPECT_EQ(ReadFile(device / "cfg.bin"), std::string(3000, 'x'));
    EXPECT_EQ(user.texts, std::vector<QString>{QString::fromStdString("File \"" + PathText(file) +
                                                                      "\" successfull sent")});
    EXPECT_TRUE(barAndHourglass);
    ExpectIdle(*window);
}

TEST_F(QtTransferTest, ErrorPassedOnIsShownInABoxAndTheWindowIsUsableAgain) {
    auto window = Open(file, false, {"-ex"});
    Click(*window, btnGet);
    EXPECT_EQ(user.texts, (std::vector<QString>{"TFTP get file failed!\n\n\"File not found\"",
                                                "\"File not found\""}));
    EXPECT_EQ(user.titles.back(), "quorvel") << "the application's title";
    ExpectIdle(*window);
    EXPECT_TRUE(window->isVisible());
}

// The close box, or Esc, while the client waits for a silent device: the settings are saved
// at once, the transfer is cancelled, no box is left to answer, and the window closes after
// the action has returned.
TEST_F(QtTransferTest, CloseDuringATransferEndsPromptlyWithoutABox) {
    WriteFile(file, std::string(2000, 's'));
    for (bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Esc" : "close box");
        fs::remove(folder.Path() / "quorvel.INI");
        auto window = Open(file, true);
        dynamic_cast<QSpinBox&>(window->Widget(seTO)).setValue(8);
        std::uint32_t busySince = 0;
        bool savedAtClose = false;
        user.whileNoModal = [&] {
            if (window->Widget(btnCancel).isHidden() || savedAtClose) {
                return;
            }
            busySince = busySince ? busySince : TickCount();
            if (TickDiff(busySince) >= 300) {
                if (byEscape) {
                    QTest::keyClick(&window->Widget(btnClose), Qt::Key_Escape);
                } else {
                    window->close();
                }
                savedAtClose = fs::exists(folder.Path() / "quorvel.INI");
            }
        };
        const std::uint32_t start = TickCount();
        Click(*window, btnPut);
        user.whileNoModal = nullptr;

        EXPECT_TRUE(savedAtClose) << "saved as the close began";
        EXPECT_FALSE(window->isVisible()) << "closed once the action had returned";
        EXPECT_TRUE(user.texts.empty()) << "no box after the close";
        EXPECT_LT(TickDiff(start), 6000u) << "not the eight seconds of the time-out";
        EXPECT_FALSE(fs::exists(device / "cfg.bin"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// A close past the point of no return waits for the companion; the power warning is shown and
// stays up through a second close until answered, then the window closes.
TEST_F(QtTransferTest, CloseDuringTheCompanionStillShowsThePowerWarning) {
    WriteFile(folder.Path() / "R7.pch", std::string(30, 'c'));
    const fs::path image = folder.Path() / "R7.pfw";
    WriteFile(image, std::string(1000, 'f'));
    auto window = Open(image);
    bool closed = false;
    bool boxStayedUp = false;
    user.whileNoModal = [&] {
        if (!closed && window->Form().Cancel().Forbidden()) {
            window->close();
            closed = true;
        }
    };
    user.onBox = [&] {
        QWidget* box = QApplication::activeModalWidget();
        window->close();
        boxStayedUp = box->isVisible();
    };
    Click(*window, btnFirmware);
    EXPECT_TRUE(closed);
    ASSERT_EQ(user.texts.size(), 1u);
    EXPECT_TRUE(user.texts[0].contains("DO NOT remove the power")) << user.texts[0].toStdString();
    EXPECT_TRUE(boxStayedUp);
    EXPECT_EQ(ReadFile(device / "R7.pch"), std::string(30, 'c'));
    EXPECT_FALSE(window->isVisible());
}

} // namespace
