#include "app/actions/MessageText.h"
#include "app/qt/QtDialogs.h"
#include "app/qt/QtText.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton StandardButtonOf(MessageButton button) {
    switch (button) {
    case MessageButton::Yes:
        return QMessageBox::Yes;
    case MessageButton::No:
        return QMessageBox::No;
    case MessageButton::Ok:
        return QMessageBox::Ok;
    case MessageButton::Cancel:
        return QMessageBox::Cancel;
    case MessageButton::Abort:
        return QMessageBox::Abort;
    case MessageButton::Retry:
        return QMessageBox::Retry;
    case MessageButton::Ignore:
        return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

void Place(QMessageBox& box, const MessageRequest& request) {
    if (request.systemPlaced) {
        return;
    }
    box.adjustSize();
    const QScreen* screen =
        box.parentWidget() ? box.parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QPoint centred = area.center() - QPoint(box.width() / 2, box.height() / 2);
    box.move(request.left.value_or(centred.x()), request.top.value_or(centred.y()));
}

} // namespace

void ConfigureMessageBox(QMessageBox& box, const MessageRequest& request) {
    box.setWindowTitle(ToQString(request.caption));
    // A device's answer or a file name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(WithLineBreaks(request.text)));
    box.setIcon(IconOf(request.kind));
    for (std::size_t i = 0; i < request.buttons.size(); ++i) {
        QPushButton* button = box.addButton(StandardButtonOf(request.buttons[i]));
        if (i == request.defaultButton) {
            box.setDefaultButton(button);
        }
    }
    Place(box, request);
}

MessageButton RunQtMessageBox(QWidget* parent, const MessageRequest& request) {
    QMessageBox box(parent);
    ConfigureMessageBox(box, request);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (MessageButton button : request.buttons) {
        if (clicked && clicked == box.button(StandardButtonOf(button))) {
            return button;
        }
    }
    return MessageButton::Cancel;
}
