// The real Qt window on the offscreen platform: widgets, wiring, dialogs and boxes.
#include "app/qt/MainWindow.h"
#include "app/qt/QtDialogs.h"
#include "serial/SerialDevice.h"
#include "support/PathText.h"
#include "tests/kit/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace fs = std::filesystem;

using enum Control;

namespace {

// Presses a button of the next modal box once it is up; gives up after about two seconds.
void PressInNextModalBox(QMessageBox::StandardButton which, int attemptsLeft = 200) {
    QTimer::singleShot(10, [which, attemptsLeft] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->button(which)->click();
        } else if (attemptsLeft > 0) {
            PressInNextModalBox(which, attemptsLeft - 1);
        }
    });
}

class QtWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<MainWindow> Open(std::vector<std::string> params = {}) {
        params.insert(params.begin(), Program());
        return std::make_unique<MainWindow>(Program(), params);
    }
    std::string Program() const { return PathText(folder.Path() / "quorvel"); }
    fs::path Settings() const { return folder.Path() / "quorvel.INI"; }

    template <class W> static W& As(MainWindow& window, Control control) {
        auto* widget = qobject_cast<W*>(&window.Widget(control));
        if (!widget) {
            throw std::logic_error("unexpected widget class");
        }
        return *widget;
    }

    TempFolder folder;
};

TEST_F(QtWindowTest, WindowHasAFixedClientAreaAndNoMinimiseOrMaximiseBox) {
    auto window = Open();
    EXPECT_EQ(window->size(), QSize(386, 249));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->windowTitle(), "Quorvel V1.8");
    EXPECT_EQ(window->font().pointSize(), 8);
}

TEST_F(QtWindowTest, ControlsSitInTheirGroupsWithTheirTexts) {
    auto window = Open();
    auto& put = As<QPushButton>(*window, btnPut);
    EXPECT_EQ(put.parentWidget(), &window->Widget(GroupBox2));
    EXPECT_EQ(put.geometry(), QRect(278, 16, 85, 25));
    EXPECT_EQ(put.text(), "Put file");

    auto& serial = As<QRadioButton>(*window, rb2);
    EXPECT_EQ(serial.geometry(), QRect(192, 24, 89, 17));
    EXPECT_EQ(serial.text(), "Serial");

    EXPECT_EQ(As<QGroupBox>(*window, GroupBox1).title(), " Connection ");
    EXPECT_EQ(As<QLineEdit>(*window, eIP).text(), "192.168.0.100");
    EXPECT_EQ(As<QPushButton>(*window, btnReadLogger).toolTip(),
              "read logger data from device and convert to .CSV");
    EXPECT_EQ(As<QPushButton>(*window, btnClose).geometry(), QRect(8, 218, 75, 25));
    EXPECT_TRUE(As<QLabel>(*window, LblPort).alignment() & Qt::AlignRight);
    EXPECT_EQ(As<QLabel>(*window, Label3).pos(), QPoint(48, 80));

    auto& timeout = As<QSpinBox>(*window, seTO);
    EXPECT_EQ(timeout.maximum(), 16);
    EXPECT_EQ(timeout.value(), 4);

    EXPECT_TRUE(window->Widget(btnCancel).isHidden());
    EXPECT_TRUE(window->Widget(ProgressBar1).isHidden());
}

TEST_F(QtWindowTest, TabOrderFollowsTheDesign) {
    auto window = Open();
    const QStringList expected{
        "rb1",         "rb2",    "eIP",    "cbPort",        "btnsetTransfermode", "seTO",
        "btnFirmware", "btnGet", "btnPut", "btnReadLogger", "btnconvertLogger",   "btnClose",
        "btnCancel"};
    QStringList order;
    QWidget* widget = &window->Widget(rb1);
    do {
        if (expected.contains(widget->objectName()) && !order.contains(widget->objectName())) {
            order << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != &window->Widget(rb1));
    EXPECT_EQ(order, expected);
}

TEST_F(QtWindowTest, ComListOffersFortyPortsWithCom1Selected) {
    auto window = Open();
    auto& list = As<QComboBox>(*window, cbPort);
    ASSERT_EQ(list.count(), 40);
    EXPECT_EQ(list.itemText(0), "COM 1");
    EXPECT_EQ(list.itemText(39), "COM 40");
    EXPECT_EQ(list.itemData(39, Qt::ToolTipRole).toString().toStdString(), ComDeviceName(40));
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_EQ(list.toolTip().toStdString(), ComDeviceName(1));
    EXPECT_FALSE(list.isEditable());
}

TEST_F(QtWindowTest, SerialRadioButtonEnablesSetTransferMode) {
    auto window = Open();
    QWidget& button = window->Widget(btnsetTransfermode);
    EXPECT_FALSE(button.isEnabled());
    As<QRadioButton>(*window, rb2).click();
    EXPECT_TRUE(button.isEnabled());
    As<QRadioButton>(*window, rb1).click();
    EXPECT_FALSE(button.isEnabled());
}

TEST_F(QtWindowTest, EscapeClosesTheWindowAndSavesTheSettings) {
    auto window = Open();
    window->show();
    As<QLineEdit>(*window, eIP).setText("modem.local");
    QTest::keyClick(&window->Widget(eIP), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    const std::string saved = ReadFile(Settings());
    EXPECT_EQ(saved.rfind("[Param]\r\nTop=", 0), 0u) << saved;
    EXPECT_NE(saved.find("\r\nhost=modem.local\r\n"), std::string::npos) << saved;
}

TEST_F(QtWindowTest, SettingsPlaceTheWindowAndPickTheConnection) {
    WriteFile(Settings(), "[Param]\r\nTop=0\r\nLeft=0\r\nconnection=1\r\nPort=4\r\n");
    auto window = Open();
    EXPECT_EQ(window->pos(), QPoint(100, 100));
    EXPECT_TRUE(As<QRadioButton>(*window, rb2).isChecked());
    EXPECT_FALSE(As<QRadioButton>(*window, rb1).isChecked());
    EXPECT_TRUE(window->Widget(btnsetTransfermode).isEnabled());
    EXPECT_EQ(As<QComboBox>(*window, cbPort).currentText(), "COM 5");
    window->close();
    EXPECT_NE(ReadFile(Settings()).find("Top=100\r\nLeft=100\r\nconnection=1\r\n"),
              std::string::npos);
}

TEST_F(QtWindowTest, WindowSavedOutsideEveryScreenOpensOnTheScreen) {
    WriteFile(Settings(), "[Param]\r\nTop=5000\r\nLeft=-9000\r\n");
    auto window = Open();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(window->pos()));
}

TEST_F(QtWindowTest, ComListTurnsLightRedAndBack) {
    auto window = Open();
    QWidget& list = window->Widget(cbPort);
    const QColor normal = list.palette().color(QPalette::Button);
    window->Toolkit().SetColour(cbPort, Colour::LightRed);
    EXPECT_EQ(list.palette().color(QPalette::Button), QColor(240, 128, 128));
    window->Toolkit().SetColour(cbPort, Colour::Window);
    EXPECT_EQ(list.palette().color(QPalette::Button), normal);
}

TEST(QtFileDialogs, EachDialogGetsItsFilterModeAndOptions) {
    TempFolder folder;
    auto configured = [&](Dialog id) {
        auto dialog = std::make_unique<QFileDialog>();
        ConfigureFileDialog(
            *dialog, {&DialogSetupOf(id), "title", PathText(folder.Path()), "/elsewhere/last.csv"});
        return dialog;
    };

    auto firmware = configured(Dialog::DlgFW);
    EXPECT_EQ(firmware->nameFilters(), QStringList{"firmware file (*.pfw/*.pfo) (*.pfw *.pfo)"});
    EXPECT_TRUE(firmware->testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(firmware->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(firmware->windowTitle(), "title");

    auto logger = configured(Dialog::DlgReadLogger);
    EXPECT_EQ(logger->nameFilters(), QStringList{"CSV files (*.csv)"});
    EXPECT_EQ(logger->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(logger->defaultSuffix(), "csv");
    EXPECT_TRUE(logger->testOption(QFileDialog::DontConfirmOverwrite))
        << "the action asks its own overwrite question";
    EXPECT_EQ(logger->directory().absolutePath(), QString::fromStdString(PathText(folder.Path())));

    EXPECT_EQ(configured(Dialog::DlgConvert)->nameFilters(), QStringList{"ZEL files (*.zel)"});
    EXPECT_EQ(configured(Dialog::DlgGet)->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(configured(Dialog::DlgPut)->fileMode(), QFileDialog::ExistingFile);
}

TEST(QtMessageBoxes, BoxShowsPlainTextLinesIconAndPlace) {
    QMessageBox box;
    MessageRequest request{"Warnung",
                           "TFTP put file failed!\r\r<b>Filesize=0</b>",
                           MessageKind::Warning,
                           {MessageButton::Ok}};
    request.left = 170;
    request.top = 130;
    ConfigureMessageBox(box, request);
    EXPECT_EQ(box.windowTitle(), "Warnung");
    EXPECT_EQ(box.text(), "TFTP put file failed!\n\n<b>Filesize=0</b>");
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_EQ(box.buttons().size(), 1);
    EXPECT_EQ(box.pos(), QPoint(170, 130));
}

TEST_F(QtWindowTest, QuestionBoxReturnsTheButtonPressed) {
    auto window = Open();
    PressInNextModalBox(QMessageBox::No);
    EXPECT_EQ(window->Form().AskBox("Question", "File \"x\" already exists!\rOverwrite?",
                                    MessageKind::Confirmation, 0,
                                    {MessageButton::Yes, MessageButton::No}),
              MessageButton::No);
    PressInNextModalBox(QMessageBox::Yes);
    EXPECT_EQ(window->Form().AskBox("Question", "again", MessageKind::Confirmation, 0,
                                    {MessageButton::Yes, MessageButton::No}),
              MessageButton::Yes);
}

} // namespace

// The application object lives on main's stack, so it is gone before the program's own
// destructors run.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
