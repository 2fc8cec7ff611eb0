#include "app/win32/Controls.h"

#include "support/WideText.h"

#include <commctrl.h>

#include <iterator>
#include <string>

namespace {

// Window class and style of each kind of control. Every control that takes the focus is a tab
// stop; a radio button pair forms a group of its own, so that the arrow keys move between the two
// and the auto radio buttons uncheck only each other.
struct NativeKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle = 0;
};

NativeKind KindOf(const ControlDesign& design) {
    switch (design.kind) {
    case ControlKind::GroupBox:
        return {WC_BUTTONW, BS_GROUPBOX};
    case ControlKind::RadioButton:
        return {WC_BUTTONW, static_cast<DWORD>(BS_AUTORADIOBUTTON | WS_TABSTOP |
                                               (design.id == Control::rb1 ? WS_GROUP : 0))};
    case ControlKind::Edit:
        return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
    case ControlKind::DropDownList:
        // Drawn by the window itself, so that its colour shows whether it has the focus or not.
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL |
                                  WS_TABSTOP | WS_GROUP};
    case ControlKind::Button:
        return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP};
    case ControlKind::SpinEdit:
        return {WC_EDITW, ES_NUMBER | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        // One line, never wrapped: a right-aligned text that is too long loses its start.
        return {WC_STATICW,
                static_cast<DWORD>(SS_NOPREFIX | (design.alignRight ? SS_RIGHT | SS_CENTERIMAGE
                                                                    : SS_LEFTNOWORDWRAP))};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSW, PBS_SMOOTH};
    case ControlKind::Window:
        break;
    }
    return {WC_STATICW, 0};
}

// A label designed without a size takes the size of its text.
Bounds SizedToText(HWND label, HFONT font, const DialogScale& scale, Bounds bounds) {
    wchar_t buffer[256];
    const int length = GetWindowTextW(label, buffer, static_cast<int>(std::size(buffer)));
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, buffer, length, &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    bounds.width = scale.ToDesignX(size.cx) + 1;
    bounds.height = scale.ToDesignY(size.cy);
    return bounds;
}

void SetUpSpinField(HWND edit, HWND arrows, const ControlDesign& design) {
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(design.minimum),
                 static_cast<LPARAM>(design.maximum));
    SendMessageW(arrows, UDM_SETPOS32, 0, static_cast<LPARAM>(design.value));
    // At most two digits: the range ends at 16.
    SendMessageW(edit, EM_LIMITTEXT, 2, 0);
}

void SetUpList(HWND list, const DialogScale& scale, const ControlDesign& design) {
    // The closed field is as high as designed; the height the list was created with is that of
    // the open list.
    const int border = 6;
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 scale.ToScreenY(design.bounds.height) - border);
    SendMessageW(list, CB_SETITEMHEIGHT, 0, scale.ToScreenY(kListItemHeight));
}

} // namespace

DialogScale::DialogScale(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The average width as the dialog manager measures it: over the 52 letters.
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32W(dc, letters, 52, &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    if (size.cx > 0 && metrics.tmHeight > 0) {
        unitX_ = (size.cx / 26 + 1) / 2;
        unitY_ = metrics.tmHeight;
    }
}

RECT DialogScale::ToScreen(const Bounds& bounds) const {
    const int left = ToScreenX(bounds.left);
    const int top = ToScreenY(bounds.top);
    return {left, top, left + ToScreenX(bounds.width), top + ToScreenY(bounds.height)};
}

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return pixelsPerInch;
}

HFONT CreateWindowFont(int pixelsPerInch) {
    return CreateFontW(-MulDiv(8, pixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

HWND CreateToolTips(HWND window) {
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 400);
    return tips;
}

void AddHint(HWND tips, HWND window, HWND control, std::string_view hint) {
    std::wstring text = WideText(hint);
    TTTOOLINFOW tool{};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.empty() ? LPSTR_TEXTCALLBACKW : text.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

Bounds WindowBounds(Control control, const Bounds& bounds) {
    const Control parent = DesignOf(control).parent;
    if (parent == Control::Form1) {
        return bounds;
    }
    const Bounds& group = DesignOf(parent).bounds;
    return {group.left + bounds.left, group.top + bounds.top, bounds.width, bounds.height};
}

NativeControls BuildControls(HWND window, HWND tips, HFONT font, const DialogScale& scale) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    NativeControls controls;
    for (const ControlDesign& design : FormControls()) {
        const NativeKind kind = KindOf(design);
        NativeControl control;
        control.hwnd = CreateWindowExW(kind.exStyle, kind.className, WideText(design.text).c_str(),
                                       WS_CHILD | kind.style | (design.visible ? WS_VISIBLE : 0), 0,
                                       0, 0, 0, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(
                                           kFirstControlId + static_cast<int>(design.id))),
                                       instance, nullptr);
        if (design.kind == ControlKind::SpinEdit) {
            control.buddy = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                            WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT |
                                                UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                            0, 0, 0, 0, window, nullptr, instance, nullptr);
            SetUpSpinField(control.hwnd, control.buddy, design);
        } else if (design.kind == ControlKind::ProgressBar) {
            SendMessageW(control.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(design.minimum),
                         static_cast<LPARAM>(design.maximum));
            SendMessageW(control.hwnd, PBM_SETPOS, static_cast<WPARAM>(design.value), 0);
        }
        if (!design.hint.empty()) {
            AddHint(tips, window, control.hwnd, design.hint);
        }
        controls.emplace(design.id, control);
    }
    std::map<Control, Bounds> bounds;
    for (const ControlDesign& design : FormControls()) {
        bounds[design.id] = design.bounds;
    }
    LayOutControls(controls, bounds, font, scale);
    return controls;
}

void LayOutControls(const NativeControls& controls, const std::map<Control, Bounds>& bounds,
                    HFONT font, const DialogScale& scale) {
    for (const auto& [id, control] : controls) {
        const ControlDesign& design = DesignOf(id);
        SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Bounds area = bounds.at(id);
        if (design.kind == ControlKind::Label && design.bounds.width == 0) {
            area = SizedToText(control.hwnd, font, scale, area);
        } else if (design.kind == ControlKind::DropDownList) {
            area.height += kListVisibleItems * kListItemHeight;
        }
        const RECT screen = scale.ToScreen(WindowBounds(id, area));
        MoveWindow(control.hwnd, screen.left, screen.top, screen.right - screen.left,
                   screen.bottom - screen.top, FALSE);
        if (control.buddy) {
            // The arrows follow their field's new place and size.
            SendMessageW(control.buddy, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
        } else if (design.kind == ControlKind::DropDownList) {
            SetUpList(control.hwnd, scale, design);
        }
    }
}
