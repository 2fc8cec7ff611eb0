// The window's Toolkit on the native Win32 controls.
#pragma once

#include "app/Toolkit.h"
#include "app/win32/Controls.h"

#include <windows.h>

#include <functional>
#include <map>

class Win32Toolkit final : public Toolkit {
public:
    // window: the main window, which owns the controls; dispatch hands one message of the
    // window's thread on as the window's message loop does.
    Win32Toolkit(HWND window, NativeControls controls, const DialogScale& scale,
                 std::function<void(MSG&)> dispatch);
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    bool Checked(Control control) const override;
    void SetChecked(Control control, bool checked) override;
    int Value(Control control) const override;
    void SetValue(Control control, int value) override;
    int Maximum(Control control) const override;
    void SetMaximum(Control control, int maximum) override;
    void SetItems(Control control, const std::vector<std::string>& items) override;
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

    HWND Handle(Control control) const;
    // The control whose window handle this is (the spin field's arrows count as the field).
    std::optional<Control> ControlOf(HWND hwnd) const;
    Colour ColourOf(Control control) const;
    bool Hourglass() const { return hourglass_; }

    // Once the window is closing no more boxes or dialogs are shown: the user asked the program
    // to end. A dialog counts as cancelled, a box as closed without a button; a box's text goes
    // to the diagnostic log instead. Only a box marked evenWhileClosing is still shown.
    void Silence() { silent_ = true; }

private:
    // Enables a control as its own flag and its group's say.
    void ApplyEnabled(Control control);

    HWND window_;
    NativeControls controls_;
    DialogScale scale_;
    std::function<void(MSG&)> dispatch_;
    std::map<Control, Bounds> bounds_; // in design pixels, inside the parent
    std::map<Control, bool> ownEnabled_;
    std::map<Control, Colour> colours_;
    bool hourglass_ = false;
    bool silent_ = false;
};
