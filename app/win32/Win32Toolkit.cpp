#include "app/win32/Win32Toolkit.h"
#include "app/win32/Win32Dialogs.h"
#include "support/IntText.h"
#include "support/Save_Err.h"
#include "support/WideText.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace {

std::string WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8Text(text);
}

// The spin field's number as typed, kept inside its range; a field left empty or unreadable
// counts as the position the arrows last had.
int SpinValue(HWND edit, HWND arrows) {
    int low = 0;
    int high = 0;
    SendMessageW(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    const std::optional<std::int64_t> typed =
        ParseInteger(WindowText(edit), {.sign = true}, INT32_MIN, INT32_MAX);
    if (!typed) {
        BOOL failed = FALSE;
        return std::clamp(static_cast<int>(SendMessageW(arrows, UDM_GETPOS32, 0,
                                                        reinterpret_cast<LPARAM>(&failed))),
                          low, high);
    }
    return static_cast<int>(std::clamp<std::int64_t>(*typed, low, high));
}

} // namespace

Win32Toolkit::Win32Toolkit(HWND window, HWND tips, NativeControls controls,
                           const DialogScale& scale, std::function<void(MSG&)> dispatch)
    : window_(window), tips_(tips), controls_(std::move(controls)), scale_(scale),
      dispatch_(std::move(dispatch)) {
    for (const ControlDesign& design : FormControls()) {
        bounds_[design.id] = design.bounds;
        ownEnabled_[design.id] = true;
    }
}

Win32Toolkit::~Win32Toolkit() {
    SetCursor(Cursor::Arrow);
}

HWND Win32Toolkit::Handle(Control control) const {
    if (control == Control::Form1) {
        return window_;
    }
    return controls_.at(control).hwnd;
}

std::optional<Control> Win32Toolkit::ControlOf(HWND hwnd) const {
    for (const auto& [control, native] : controls_) {
        if (native.hwnd == hwnd || (native.buddy && native.buddy == hwnd)) {
            return control;
        }
    }
    return std::nullopt;
}

Colour Win32Toolkit::ColourOf(Control control) const {
    const auto it = colours_.find(control);
    return it == colours_.end() ? Colour::Window : it->second;
}

std::string Win32Toolkit::Text(Control control) const {
    return WindowText(Handle(control));
}

void Win32Toolkit::SetText(Control control, const std::string& text) {
    SetWindowTextW(Handle(control), WideText(text).c_str());
    if (DesignOf(control).alignRight) {
        FitRightAlignedLabel(control);
    }
}

bool Win32Toolkit::Checked(Control control) const {
    return SendMessageW(Handle(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::SetChecked(Control control, bool checked) {
    SendMessageW(Handle(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!checked) {
        return;
    }
    // The radio buttons of one group exclude each other.
    const ControlDesign& design = DesignOf(control);
    for (const ControlDesign& other : FormControls()) {
        if (other.id != control && other.kind == ControlKind::RadioButton &&
            other.parent == design.parent) {
            SendMessageW(Handle(other.id), BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

int Win32Toolkit::Value(Control control) const {
    const NativeControl& native = controls_.at(control);
    switch (DesignOf(control).kind) {
    case ControlKind::SpinEdit:
        return SpinValue(native.hwnd, native.buddy);
    case ControlKind::DropDownList:
        return static_cast<int>(SendMessageW(native.hwnd, CB_GETCURSEL, 0, 0));
    case ControlKind::ProgressBar:
        return static_cast<int>(SendMessageW(native.hwnd, PBM_GETPOS, 0, 0));
    default:
        throw std::logic_error("control " + std::string(DesignOf(control).name) + " has no value");
    }
}

void Win32Toolkit::SetValue(Control control, int value) {
    const NativeControl& native = controls_.at(control);
    switch (DesignOf(control).kind) {
    case ControlKind::SpinEdit:
        SendMessageW(native.buddy, UDM_SETPOS32, 0, value);
        break;
    case ControlKind::DropDownList:
        SendMessageW(native.hwnd, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
        break;
    case ControlKind::ProgressBar:
        SendMessageW(native.hwnd, PBM_SETPOS, static_cast<WPARAM>(value), 0);
        break;
    default:
        throw std::logic_error("control " + std::string(DesignOf(control).name) + " has no value");
    }
}

int Win32Toolkit::Maximum(Control control) const {
    return static_cast<int>(SendMessageW(Handle(control), PBM_GETRANGE, FALSE, 0));
}

void Win32Toolkit::SetMaximum(Control control, int maximum) {
    SendMessageW(Handle(control), PBM_SETRANGE32, 0, maximum);
}

void Win32Toolkit::SetItems(Control control, const std::vector<std::string>& items) {
    HWND list = Handle(control);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(item).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void Win32Toolkit::SetItemHint(Control control, int position, const std::string& hint) {
    auto [entry, added] = itemHints_.try_emplace(control);
    if (added) {
        // The tool tip asks for the selected entry's hint each time it shows.
        AddHint(tips_, window_, Handle(control), {});
    }
    std::vector<std::string>& hints = entry->second;
    if (position >= 0) {
        hints.resize(std::max(hints.size(), static_cast<std::size_t>(position) + 1));
        hints[static_cast<std::size_t>(position)] = hint;
    }
}

std::string Win32Toolkit::ItemHint(Control control) const {
    const auto entry = itemHints_.find(control);
    const int position = Value(control);
    if (entry == itemHints_.end() || position < 0 ||
        static_cast<std::size_t>(position) >= entry->second.size()) {
        return {};
    }
    return entry->second[static_cast<std::size_t>(position)];
}

bool Win32Toolkit::Enabled(Control control) const {
    return IsWindowEnabled(Handle(control)) != FALSE;
}

void Win32Toolkit::SetEnabled(Control control, bool enabled) {
    if (control == Control::Form1) {
        EnableWindow(window_, enabled);
        return;
    }
    HWND focus = GetFocus();
    ownEnabled_[control] = enabled;
    ApplyEnabled(control);
    // A group box takes the controls inside it along.
    for (const ControlDesign& design : FormControls()) {
        if (design.parent == control) {
            ApplyEnabled(design.id);
        }
    }
    KeepFocus(focus, enabled);
}

void Win32Toolkit::KeepFocus(HWND focusBefore, bool enabled) {
    if (!enabled && focusBefore && IsChild(window_, focusBefore) && !IsWindowEnabled(focusBefore)) {
        lostFocus_ = focusBefore;
        SetFocus(window_);
    } else if (enabled && lostFocus_ && GetFocus() == window_ && IsWindowEnabled(lostFocus_)) {
        SetFocus(lostFocus_);
        lostFocus_ = nullptr;
    }
}

void Win32Toolkit::ApplyEnabled(Control control) {
    const Control parent = DesignOf(control).parent;
    const bool enabled =
        ownEnabled_.at(control) && (parent == Control::Form1 || ownEnabled_.at(parent));
    const NativeControl& native = controls_.at(control);
    EnableWindow(native.hwnd, enabled);
    if (native.buddy) {
        EnableWindow(native.buddy, enabled);
    }
}

bool Win32Toolkit::Visible(Control control) const {
    return (GetWindowLongW(Handle(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Toolkit::SetVisible(Control control, bool visible) {
    ShowWindow(Handle(control), visible ? SW_SHOWNA : SW_HIDE);
}

Bounds Win32Toolkit::GetBounds(Control control) const {
    if (control != Control::Form1) {
        return bounds_.at(control);
    }
    RECT frame{};
    GetWindowRect(window_, &frame);
    return {frame.left, frame.top, kFormWidth, kFormHeight};
}

void Win32Toolkit::SetBounds(Control control, const Bounds& bounds) {
    if (control == Control::Form1) {
        SetWindowPos(window_, nullptr, bounds.left, bounds.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    bounds_[control] = bounds;
    const RECT area = scale_.ToScreen(WindowBounds(control, bounds));
    MoveWindow(Handle(control), area.left, area.top, area.right - area.left, area.bottom - area.top,
               TRUE);
}

int Win32Toolkit::TextWidth(Control control) const {
    HWND label = Handle(control);
    const std::wstring text = WideText(WindowText(label));
    HDC dc = GetDC(label);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return scale_.ToDesignX(size.cx) + 1;
}

void Win32Toolkit::FitRightAlignedLabel(Control control) {
    const ControlDesign& design = DesignOf(control);
    const Bounds& designed = design.bounds;
    const int right = designed.left + designed.width;
    // The free space reaches to the nearest control on its left in the same row; a label
    // designed without a size is as wide as its text.
    int freeFrom = 0;
    for (const ControlDesign& other : FormControls()) {
        const Bounds& place = other.bounds;
        const bool sameRow =
            place.top <= designed.top + designed.height && designed.top <= place.top + place.height;
        if (other.id != control && other.parent == design.parent && sameRow &&
            place.left < designed.left) {
            const int width = place.width != 0 ? place.width : TextWidth(other.id);
            freeFrom = std::max(freeFrom, place.left + width + kLabelGap);
        }
    }
    Bounds bounds = designed;
    bounds.width = std::max(designed.width, std::min(TextWidth(control), right - freeFrom));
    bounds.left = right - bounds.width;
    SetBounds(control, bounds);
}

void Win32Toolkit::Rescale(HFONT font, const DialogScale& scale) {
    scale_ = scale;
    LayOutControls(controls_, bounds_, font, scale_);
    for (const ControlDesign& design : FormControls()) {
        if (design.alignRight) {
            FitRightAlignedLabel(design.id);
        }
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void Win32Toolkit::SetColour(Control control, Colour colour) {
    colours_[control] = colour;
    InvalidateRect(Handle(control), nullptr, TRUE);
}

void Win32Toolkit::Repaint(Control control) {
    RedrawWindow(Handle(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::optional<std::string> Win32Toolkit::RunFileDialog(const FileDialogRequest& request) {
    if (silent_) {
        return std::nullopt;
    }
    return RunNativeFileDialog(window_, request);
}

MessageButton Win32Toolkit::ShowMessage(const MessageRequest& request) {
    if (silent_ && !request.evenWhileClosing) {
        WriteLog("Not shown while closing: " + request.text);
        return MessageButton::Cancel;
    }
    return RunNativeMessageBox(window_, request);
}

void Win32Toolkit::ProcessEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop that waits for it once the handler has returned.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch_(message);
    }
}

void Win32Toolkit::SetCursor(Cursor cursor) {
    hourglass_ = cursor == Cursor::Hourglass;
    // At once, not only when the mouse next moves.
    ::SetCursor(LoadCursorA(nullptr, hourglass_ ? IDC_WAIT : IDC_ARROW));
}

void Win32Toolkit::CloseWindow() {
    SendMessageW(window_, WM_CLOSE, 0, 0);
}
