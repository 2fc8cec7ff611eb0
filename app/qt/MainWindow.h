// The program's one window: the Qt widgets, wired to the window's logic TForm1.
#pragma once

#include "app/Main.h"
#include "app/qt/QtToolkit.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QKeyEvent;

class MainWindow final : public QWidget {
    Q_OBJECT
public:
    // Builds the controls and runs the start-up (FormCreate) with the program's path and its
    // argument vector.
    MainWindow(const std::string& programPath, const std::vector<std::string>& params);

    TForm1& Form() { return form_; }
    QtToolkit& Toolkit() { return toolkit_; }
    QWidget& Widget(Control control) const { return toolkit_.Widget(control); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Connect();
    void ConnectPortList();
    // Alt+L and the other keys the logic previews; true when the key was consumed.
    bool PreviewKey(const QKeyEvent& key);
    void KeepOnScreen();
    // Runs a handler of the logic; an error it lets through is shown as the toolkit shows
    // errors nothing else handled, and the program goes on. A close that arrived while the
    // handler ran (a transfer lets events through) is carried out once it has returned.
    void Run(const std::function<void()>& handler);

    QtToolkit toolkit_;
    TForm1 form_;
    // The open COM list is a popup window of its own: its showing and hiding are the list's
    // drop-down and close-up.
    QObject* portPopup_ = nullptr;
    // Handlers of the logic on the stack; the window must outlive every one of them.
    int running_ = 0;
    // The close has begun: the settings are saved, no more boxes are shown.
    bool closing_ = false;
    // The close waits for the running handlers to return.
    bool closePending_ = false;
};
