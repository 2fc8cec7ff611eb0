// The window's Toolkit on the native Win32 controls.
#pragma once

#include "app/Toolkit.h"
#include "app/win32/Controls.h"

#include <windows.h>

#include <functional>
#include <map>

class Win32Toolkit final : public Toolkit {
public:
    // window: the main window, which owns the controls and the tool tips; dispatch hands one
    // message of the window's thread on as the window's message loop does.
    Win32Toolkit(HWND window, HWND tips, NativeControls controls, const DialogScale& scale,
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

    HWND Handle(Control control) const;
    // The control whose window handle this is (the spin field's arrows count as the field).
    std::optional<Control> ControlOf(HWND hwnd) const;
    Colour ColourOf(Control control) const;
    // The hint of a list's selected entry, shown as the list's tool tip.
    std::string ItemHint(Control control) const;
    bool Hourglass() const { return hourglass_; }

    // Once the window is closing no more boxes or dialogs are shown: the user asked the program
    // to end. A dialog counts as cancelled, a box as closed without a button; a box's text goes
    // to the diagnostic log instead. Only a box marked evenWhileClosing is still shown.
    void Silence() { silent_ = true; }

    // Lays the controls out anew in font on a screen of another resolution (their design
    // places stay).
    void Rescale(HFONT font, const DialogScale& scale);

private:
    // Space between a label and the text of a right-aligned one that grew towards it.
    static constexpr int kLabelGap = 4;

    // The width of a label's text in design pixels.
    int TextWidth(Control control) const;
    // A right-aligned label whose text outgrows its designed width grows to the left, over the
    // free space up to its neighbour in the row, instead of losing the start of its text.
    void FitRightAlignedLabel(Control control);
    // Enables a control as its own flag and its group's say.
    void ApplyEnabled(Control control);
    // A disabled control loses the keyboard focus, and without a focus the window would see its
    // keys (Esc, Tab) only as system keys: the window itself takes the focus meanwhile, and
    // gives it back once the control is enabled again.
    void KeepFocus(HWND focusBefore, bool enabled);

    HWND window_;
    HWND tips_;
    NativeControls controls_;
    DialogScale scale_;
    std::function<void(MSG&)> dispatch_;
    std::map<Control, Bounds> bounds_; // in design pixels, inside the parent
    std::map<Control, bool> ownEnabled_;
    std::map<Control, Colour> colours_;
    std::map<Control, std::vector<std::string>> itemHints_;
    HWND lostFocus_ = nullptr;
    bool hourglass_ = false;
    bool silent_ = false;
};
