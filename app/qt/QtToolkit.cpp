#include "app/qt/QtToolkit.h"
#include "app/qt/QtDialogs.h"
#include "app/qt/QtText.h"
#include "support/Save_Err.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>

#include <stdexcept>

QtToolkit::QtToolkit(QWidget& window, ControlMap controls)
    : window_(window), controls_(std::move(controls)) {}

QtToolkit::~QtToolkit() {
    SetCursor(Cursor::Arrow);
}

template <class W> W& QtToolkit::As(Control control) const {
    auto* widget = qobject_cast<W*>(&Widget(control));
    if (!widget) {
        throw std::logic_error("control " + std::string(DesignOf(control).name) +
                               " does not offer this property");
    }
    return *widget;
}

std::string QtToolkit::Text(Control control) const {
    QWidget& widget = Widget(control);
    if (control == Control::Form1) {
        return ToStdString(widget.windowTitle());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
        return ToStdString(edit->text());
    }
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        return ToStdString(label->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        return ToStdString(group->title());
    }
    return ToStdString(As<QAbstractButton>(control).text());
}

void QtToolkit::SetText(Control control, const std::string& text) {
    QWidget& widget = Widget(control);
    const QString value = ToQString(text);
    if (control == Control::Form1) {
        widget.setWindowTitle(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
        edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        group->setTitle(value);
    } else {
        As<QAbstractButton>(control).setText(value);
    }
}

bool QtToolkit::Checked(Control control) const {
    return As<QAbstractButton>(control).isChecked();
}

void QtToolkit::SetChecked(Control control, bool checked) {
    auto& button = As<QAbstractButton>(control);
    // Qt refuses to uncheck the checked button of an exclusive group; the logic may leave the
    // group without a checked button for a moment.
    const bool exclusive = button.autoExclusive();
    button.setAutoExclusive(exclusive && checked);
    button.setChecked(checked);
    button.setAutoExclusive(exclusive);
}

int QtToolkit::Value(Control control) const {
    QWidget& widget = Widget(control);
    if (auto* spin = qobject_cast<QSpinBox*>(&widget)) {
        return spin->value();
    }
    if (auto* list = qobject_cast<QComboBox*>(&widget)) {
        return list->currentIndex();
    }
    return As<QProgressBar>(control).value();
}

void QtToolkit::SetValue(Control control, int value) {
    QWidget& widget = Widget(control);
    if (auto* spin = qobject_cast<QSpinBox*>(&widget)) {
        spin->setValue(value);
    } else if (auto* list = qobject_cast<QComboBox*>(&widget)) {
        list->setCurrentIndex(value);
    } else {
        As<QProgressBar>(control).setValue(value);
    }
}

int QtToolkit::Maximum(Control control) const {
    return As<QProgressBar>(control).maximum();
}

void QtToolkit::SetMaximum(Control control, int maximum) {
    As<QProgressBar>(control).setMaximum(maximum);
}

void QtToolkit::SetItems(Control control, const std::vector<std::string>& items) {
    auto& list = As<QComboBox>(control);
    list.clear();
    for (const std::string& item : items) {
        list.addItem(ToQString(item));
    }
    list.setCurrentIndex(-1);
}

void QtToolkit::SetItemHint(Control control, int position, const std::string& hint) {
    As<QComboBox>(control).setItemData(position, ToQString(hint), Qt::ToolTipRole);
}

bool QtToolkit::Enabled(Control control) const {
    return Widget(control).isEnabled();
}

void QtToolkit::SetEnabled(Control control, bool enabled) {
    Widget(control).setEnabled(enabled);
}

bool QtToolkit::Visible(Control control) const {
    return !Widget(control).isHidden();
}

void QtToolkit::SetVisible(Control control, bool visible) {
    Widget(control).setHidden(!visible);
}

Bounds QtToolkit::GetBounds(Control control) const {
    const QWidget& widget = Widget(control);
    return {widget.x(), widget.y(), widget.width(), widget.height()};
}

void QtToolkit::SetBounds(Control control, const Bounds& bounds) {
    QWidget& widget = Widget(control);
    if (control == Control::Form1) {
        widget.move(bounds.left, bounds.top);
    } else {
        widget.setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
    }
}

void QtToolkit::SetColour(Control control, Colour colour) {
    QWidget& widget = Widget(control);
    QPalette palette = QApplication::palette(&widget);
    if (colour == Colour::LightRed) {
        const QColor lightRed(240, 128, 128);
        palette.setColor(QPalette::Base, lightRed);
        palette.setColor(QPalette::Button, lightRed);
    }
    widget.setPalette(palette);
}

void QtToolkit::Repaint(Control control) {
    Widget(control).repaint();
}

std::optional<std::string> QtToolkit::RunFileDialog(const FileDialogRequest& request) {
    if (silent_) {
        return std::nullopt;
    }
    if (answerFileDialog) {
        return answerFileDialog(request);
    }
    return RunQtFileDialog(&window_, request);
}

MessageButton QtToolkit::ShowMessage(const MessageRequest& request) {
    if (silent_ && !request.evenWhileClosing) {
        WriteLog("Not shown while closing: " + request.text);
        return MessageButton::Cancel;
    }
    return RunQtMessageBox(&window_, request);
}

void QtToolkit::ProcessEvents() {
    QCoreApplication::processEvents();
}

void QtToolkit::SetCursor(Cursor cursor) {
    const bool hourglass = cursor == Cursor::Hourglass;
    if (hourglass == hourglass_) {
        return;
    }
    if (hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    hourglass_ = hourglass;
}

void QtToolkit::CloseWindow() {
    window_.close();
}
