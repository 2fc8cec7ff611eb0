// The window's Toolkit on Qt Widgets.
#pragma once

#include "app/Toolkit.h"
#include "app/qt/FormBuilder.h"

#include <functional>

class QWidget;

class QtToolkit final : public Toolkit {
public:
    QtToolkit(QWidget& window, ControlMap controls);
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    bool Checked(Control control) const override;
    void SetChecked(Control control, bool checked) override;
    int Value(Control control) const override;
    void SetValue(Control control, int value) override;
    int Maximum(Control control) const override;
    void SetMaximum(Control control, int maximum) override;
    void SetItems(Control control, const std::vector<std::string>& items) override;
    void SetItemHint(Control control, int position, const std::string& hint) override;
    bool Enabled(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Visible(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    Bounds GetBounds(Control control) const override;
    void SetBounds(Control control, const Bounds& bounds) override;
    void SetColour(Control control, Colour colour) override;
    void Repaint(Control control) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;
    MessageButton ShowMessage(const MessageRequest& request) override;
    void ProcessEvents() override;
    void SetCursor(Cursor cursor) override;
    void CloseWindow() override;

    QWidget& Widget(Control control) const { return *controls_.at(control); }

    // Once the window is closing no more boxes or dialogs are shown: the user asked the program
    // to end. A dialog counts as cancelled, a box as closed without a button; a box's text goes
    // to the diagnostic log instead. Only a box marked evenWhileClosing is still shown.
    void Silence() { silent_ = true; }

    // A test answers the file dialogs here instead of a user at Qt's own dialog.
    std::function<std::optional<std::string>(const FileDialogRequest&)> answerFileDialog;

private:
    template <class W> W& As(Control control) const;

    QWidget& window_;
    ControlMap controls_;
    bool hourglass_ = false;
    bool silent_ = false;
};
