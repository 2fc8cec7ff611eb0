// The program's one window: the Qt widgets, wired to the window's logic TForm1.
#pragma once

#include "app/HandlerRunner.h"
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
    void Run(const std::function<void()>& handler) { runner_.Run(handler); }
    // An error no handler caught, as the toolkit shows such errors.
    void ShowError(const std::exception& error);

    QtToolkit toolkit_;
    TForm1 form_;
    // The open COM list is a popup window of its own: its showing and hiding are the list's
    // drop-down and close-up.
    QObject* portPopup_ = nullptr;
    HandlerRunner runner_;
};
