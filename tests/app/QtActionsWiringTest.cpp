// The Qt window hands the port list's user events and Alt+L to the window's logic (offscreen).
#include "app/qt/MainWindow.h"
#include "sim/SampleLogger.h"
#include "support/PathText.h"
#include "tests/kit/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace fs = std::filesystem;

using enum Control;

namespace {

const QColor kLightRed(240, 128, 128);

// Closes the next modal box with its OK button once it is up; gives up after about two seconds.
void CloseNextBox(int attemptsLeft = 200) {
    QTimer::singleShot(10, [attemptsLeft] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->button(QMessageBox::Ok)->click();
        } else if (attemptsLeft > 0) {
            CloseNextBox(attemptsLeft - 1);
        }
    });
}

class QtActionsWiringTest : public ::testing::Test {
protected:
    std::unique_ptr<MainWindow> Open() {
        const std::string program = PathText(folder.Path() / "quorvel");
        auto window = std::make_unique<MainWindow>(program, std::vector<std::string>{program});
        window->show();
        return window;
    }

    TempFolder folder;
};

// COM 1 and COM 2 lead nowhere while the test runs.
class MissingPorts {
public:
    MissingPorts() {
        qputenv("QUORVEL_COM1", "/nonexistent/quorvel-tty1");
        qputenv("QUORVEL_COM2", "/nonexistent/quorvel-tty2");
    }
    ~MissingPorts() {
        qunsetenv("QUORVEL_COM1");
        qunsetenv("QUORVEL_COM2");
    }
    MissingPorts(const MissingPorts&) = delete;
    MissingPorts& operator=(const MissingPorts&) = delete;
};

TEST_F(QtActionsWiringTest, PortListIsTestedOnTheUsersChoicesOnly) {
    MissingPorts missing;
    WriteFile(folder.Path() / "quorvel.INI", "[Param]\r\nPort=0\r\n");
    auto window = Open();
    auto& list = *qobject_cast<QComboBox*>(&window->Widget(cbPort));
    const QColor normal = list.palette().color(QPalette::Button);
    EXPECT_EQ(normal, QApplication::palette(&list).color(QPalette::Button))
        << "the settings load selects COM 1 without testing it";

    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentText(), "COM 2");
    EXPECT_EQ(list.palette().color(QPalette::Button), kLightRed);

    list.showPopup();
    EXPECT_EQ(list.palette().color(QPalette::Button), normal) << "normal while the list is open";
    list.hidePopup();
    EXPECT_EQ(list.palette().color(QPalette::Button), kLightRed) << "closing the list tests again";
}

TEST_F(QtActionsWiringTest, AltLConvertsTheLoggerBesideTheProgramAndIsConsumed) {
    auto window = Open();
    auto& host = *qobject_cast<QLineEdit*>(&window->Widget(eIP));
    const fs::path csv = folder.Path() / "plog.csv";
    WriteFile(folder.Path() / "plog.zel", MakeSamplePlogZel(3));

    QTest::keyClick(&host, Qt::Key_L, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(fs::exists(csv)) << "Alt+Shift+L is no shortcut";

    const QString hostBefore = host.text();
    CloseNextBox();
    QTest::keyClick(&host, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(fs::exists(csv));
    EXPECT_EQ(host.text(), hostBefore) << "the key went no further";
}

} // namespace
