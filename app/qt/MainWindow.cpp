#include "app/qt/MainWindow.h"
#include "app/ClickHandlers.h"
#include "app/qt/QtText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>

#include <exception>

namespace {

// The window shows a system menu and a close box only: no minimise or maximise box.
constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// Where the system puts a new window: centred on the primary screen.
QPoint DefaultPosition(const QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return {};
    }
    const QRect area = screen->availableGeometry();
    return area.center() - QPoint(window.width() / 2, window.height() / 2);
}

// Letters and digits carry the same codes in Qt as the virtual key codes the logic knows;
// 0 for every other key.
std::uint16_t VirtualKey(int qtKey) {
    const bool letter = qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z;
    const bool digit = qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9;
    return letter || digit ? static_cast<std::uint16_t>(qtKey) : 0;
}

// The dialog or box the running action waits in gives up, for a close.
void DismissModalDialog() {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->reject();
    }
}

} // namespace

MainWindow::MainWindow(const std::string& programPath, const std::vector<std::string>& params)
    : QWidget(nullptr, kWindowFlags), toolkit_(*this, BuildControls(*this)),
      form_(toolkit_, programPath),
      runner_(form_, {.showError = [this](const std::exception& error) { ShowError(error); },
                      .silence = [this] { toolkit_.Silence(); },
                      .dismissModal = [] { DismissModalDialog(); },
                      .closeAgain = [this] { close(); }}) {
    move(DefaultPosition(*this));
    Connect();
    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
    Run([this, &params] { form_.FormCreate(params); });
    KeepOnScreen();
}

void MainWindow::KeepOnScreen() {
    // A position saved while another monitor was attached would open the window out of reach.
    const QRect frame(pos(), size());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame)) {
            return;
        }
    }
    move(DefaultPosition(*this));
}

void MainWindow::Connect() {
    for (const ClickHandler& click : ClickHandlers()) {
        connect(qobject_cast<QAbstractButton*>(&Widget(click.control)), &QAbstractButton::clicked,
                this,
                [this, handler = click.handler] { Run([this, handler] { (form_.*handler)(); }); });
    }
    ConnectPortList();
}

void MainWindow::ConnectPortList() {
    auto* list = qobject_cast<QComboBox*>(&Widget(Control::cbPort));
    // The port is tested on the user's choices only, with the mouse, the keyboard or the wheel;
    // selections made from code (the settings load) emit no activated.
    connect(list, &QComboBox::activated, this, [this] { Run([this] { form_.cbPortChange(); }); });
    // The closed list shows the chosen entry's hint as well: the device its COM number reaches.
    connect(list, &QComboBox::currentIndexChanged, list, [list](int index) {
        list->setToolTip(list->itemData(index, Qt::ToolTipRole).toString());
    });
    portPopup_ = list->view()->window();
}

void MainWindow::ShowError(const std::exception& error) {
    QMessageBox box(QMessageBox::Critical, ToQString(form_.ApplicationTitle()),
                    ToQString(error.what()), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close from inside a handler that lets events through waits for it to return.
    if (runner_.RequestClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == portPopup_ && event->type() == QEvent::Show) {
        Run([this] { form_.cbPortDropDown(); });
    } else if (watched == portPopup_ && event->type() == QEvent::Hide) {
        Run([this] { form_.cbPortCloseUp(); });
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    // "Close" is the window's cancel button: Esc presses it wherever the focus is.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        qobject_cast<QAbstractButton*>(&Widget(Control::btnClose))->click();
        return true;
    }
    if (PreviewKey(*key)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::PreviewKey(const QKeyEvent& key) {
    std::uint16_t code = VirtualKey(key.key());
    if (code == 0) {
        return false;
    }
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    const ShiftState shift{.shift = modifiers.testFlag(Qt::ShiftModifier),
                           .alt = modifiers.testFlag(Qt::AltModifier),
                           .ctrl = modifiers.testFlag(Qt::ControlModifier)};
    Run([this, &code, shift] { form_.FormKeyDown(code, shift); });
    return code == 0;
}
