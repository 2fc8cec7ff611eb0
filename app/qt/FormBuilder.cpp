#include "app/qt/FormBuilder.h"
#include "app/qt/QtText.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// The window was laid out for "MS Sans Serif" at 8 point, a narrow font. Elsewhere the desktop's
// own sans font takes its place at the same size, in its condensed cut where the desktop has one,
// so that the texts still fit their fixed-size controls.
QFont WindowFont() {
    const QString designed = QStringLiteral("MS Sans Serif");
    QFont font(designed);
    if (!QFontDatabase::families().contains(designed)) {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStretch(QFont::Condensed);
    }
    font.setPointSize(8);
    return font;
}

QWidget* CreateWidget(const ControlDesign& design, QWidget* parent) {
    const QString text = ToQString(design.text);
    switch (design.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::RadioButton:
        return new QRadioButton(text, parent);
    case ControlKind::Edit:
        return new QLineEdit(text, parent);
    case ControlKind::DropDownList:
        return new QComboBox(parent);
    case ControlKind::Button: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::SpinEdit: {
        auto* spin = new QSpinBox(parent);
        spin->setRange(design.minimum, design.maximum);
        spin->setValue(design.value);
        return spin;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        if (design.alignRight) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        return label;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(design.minimum, design.maximum);
        bar->setValue(design.value);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Window:
        break;
    }
    return new QWidget(parent);
}

void Place(QWidget& widget, const Bounds& bounds) {
    if (bounds.width == 0) {
        // A label that sizes itself to its text.
        widget.adjustSize();
        widget.move(bounds.left, bounds.top);
    } else {
        widget.setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
    }
}

} // namespace

ControlMap BuildControls(QWidget& window) {
    window.setObjectName(QStringLiteral("Form1"));
    window.setFont(WindowFont());
    window.setFixedSize(kFormWidth, kFormHeight);
    window.setWindowTitle(ToQString(kCaption));

    ControlMap controls{{Control::Form1, &window}};
    QWidget* previousInTabOrder = nullptr;
    for (const ControlDesign& design : FormControls()) {
        QWidget* widget = CreateWidget(design, controls.at(design.parent));
        widget->setObjectName(ToQString(design.name));
        widget->setToolTip(ToQString(design.hint));
        Place(*widget, design.bounds);
        widget->setHidden(!design.visible);
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previousInTabOrder) {
                QWidget::setTabOrder(previousInTabOrder, widget);
            }
            previousInTabOrder = widget;
        }
        controls.emplace(design.id, widget);
    }
    return controls;
}
