#include "app/win32/MainWindow.h"

#include "app/ClickHandlers.h"
#include "support/WideText.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string_view>

namespace {

constexpr const wchar_t* kWindowClass = L"TForm1";
constexpr COLORREF kLightRed = RGB(240, 128, 128);

// WM_DPICHANGED, which headers for Windows 7 do not name: the window moved to a screen of
// another resolution, or the user changed the scaling.
constexpr UINT kDpiChanged = 0x02E0;

// A single border that cannot be dragged, a title bar with only the system menu and the close
// box. The controls' parent takes part in Tab and the arrow keys between them.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, kWindowClass, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
}

// Where the system centres a window on the primary screen's work area.
POINT CentredOnPrimaryScreen(HWND window) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame{};
    GetWindowRect(window, &frame);
    return {(area.left + area.right - (frame.right - frame.left)) / 2,
            (area.top + area.bottom - (frame.bottom - frame.top)) / 2};
}

BOOL CALLBACK CancelOwnedDialog(HWND window, LPARAM owner) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
        std::wstring_view(className) == L"#32770") {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

} // namespace

MainWindow::MainWindow(const std::string& programPath, const std::vector<std::string>& params)
    : font_(CreateWindowFont(ScreenDpi())), lightRed_(CreateSolidBrush(kLightRed)), scale_(font_) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES |
                                           ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance, WindowProc);
    RECT frame{0, 0, scale_.ToScreenX(kFormWidth), scale_.ToScreenY(kFormHeight)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    // The system picks the first position; the settings then move the window.
    CreateWindowExW(kWindowExStyle, kWindowClass, WideText(kCaption).c_str(), kWindowStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!hwnd_) {
        throw std::runtime_error("The window could not be created");
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    HWND tips = CreateToolTips(hwnd_);
    toolkit_ =
        std::make_unique<Win32Toolkit>(hwnd_, tips, BuildControls(hwnd_, tips, font_, scale_),
                                       scale_, [this](MSG& message) { Dispatch(message); });
    form_ = std::make_unique<TForm1>(*toolkit_, programPath);
    runner_ = std::make_unique<HandlerRunner>(
        *form_,
        HandlerRunner::Hooks{.showError =
                                 [this](const std::exception& error) {
                                     MessageBoxW(hwnd_, WideText(error.what()).c_str(),
                                                 WideText(form_->ApplicationTitle()).c_str(),
                                                 MB_OK | MB_ICONERROR | MB_APPLMODAL);
                                 },
                             .silence = [this] { toolkit_->Silence(); },
                             .dismissModal = [this] { DismissModalWindows(); },
                             .closeAgain = [this] { OnClose(); }});
    Run([this, &params] { form_->FormCreate(params); });
    KeepOnScreen();
}

MainWindow::~MainWindow() {
    runner_.reset();
    form_.reset();
    toolkit_.reset();
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
    DeleteObject(lightRed_);
    DeleteObject(font_);
}

void MainWindow::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

int MainWindow::RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        Dispatch(message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

void MainWindow::Dispatch(MSG& message) {
    const bool ours = hwnd_ && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd));
    const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    if (ours && keyDown && PreviewKey(message)) {
        return;
    }
    if (ours && IsDialogMessageW(hwnd_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool MainWindow::PreviewKey(const MSG& message) {
    auto code = static_cast<std::uint16_t>(message.wParam);
    const ShiftState shift{.shift = GetKeyState(VK_SHIFT) < 0,
                           // The key message itself tells whether Alt was held (context code).
                           .alt = (message.lParam & (1 << 29)) != 0 || GetKeyState(VK_MENU) < 0,
                           .ctrl = GetKeyState(VK_CONTROL) < 0};
    Run([this, &code, shift] { form_->FormKeyDown(code, shift); });
    return code == 0;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->runner_) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
            // Esc, as the dialog manager reports it: "Close" is the window's cancel button.
            OnCommand(Control::btnClose, BN_CLICKED);
        } else if (const auto control = toolkit_->ControlOf(reinterpret_cast<HWND>(lParam))) {
            OnCommand(*control, HIWORD(wParam));
        }
        return 0;
    case WM_DRAWITEM:
        if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_COMBOBOX) {
            DrawListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == TTN_GETDISPINFOW) {
            FillToolTip(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (HBRUSH brush =
                ControlBrush(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case WM_SETCURSOR:
        if (toolkit_->Hourglass()) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // The focus comes back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            focus_ = GetFocus();
        } else if (focus_ && IsChild(hwnd_, focus_)) {
            SetFocus(focus_);
            return 0;
        }
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_ENDSESSION:
        // The system ends the session: the program ends with it, its settings saved.
        if (wParam) {
            runner_->RequestClose();
        }
        return 0;
    case kDpiChanged:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCommand(Control control, WORD notification) {
    using enum Control;
    if (control == seTO && notification == EN_KILLFOCUS) {
        // A typed number outside the range shows the value it was brought to, which is the one
        // used and saved.
        toolkit_->SetValue(seTO, toolkit_->Value(seTO));
        return;
    }
    if (control == cbPort) {
        // Only the user's choices send these; a selection made from code (the settings load)
        // sends none.
        if (notification == CBN_SELCHANGE) {
            Run([this] { form_->cbPortChange(); });
        } else if (notification == CBN_DROPDOWN) {
            Run([this] { form_->cbPortDropDown(); });
        } else if (notification == CBN_CLOSEUP) {
            Run([this] { form_->cbPortCloseUp(); });
        }
        return;
    }
    if (notification != BN_CLICKED) {
        return;
    }
    const std::span<const ClickHandler> handlers = ClickHandlers();
    const auto it = std::ranges::find(handlers, control, &ClickHandler::control);
    if (it != handlers.end()) {
        Run([this, handler = it->handler] { (form_.get()->*handler)(); });
    }
}

void MainWindow::OnClose() {
    // A close from inside a handler that lets events through waits for it to return.
    if (hwnd_ && runner_->RequestClose()) {
        DestroyWindow(hwnd_);
    }
}

void MainWindow::DismissModalWindows() {
    EnumThreadWindows(GetCurrentThreadId(), CancelOwnedDialog, reinterpret_cast<LPARAM>(hwnd_));
}

void MainWindow::KeepOnScreen() {
    // A position saved while another monitor was attached would open the window out of reach.
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    if (MonitorFromRect(&frame, MONITOR_DEFAULTTONULL)) {
        return;
    }
    const POINT centre = CentredOnPrimaryScreen(hwnd_);
    SetWindowPos(hwnd_, nullptr, centre.x, centre.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    HFONT font = CreateWindowFont(dpi);
    scale_ = DialogScale(font);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    toolkit_->Rescale(font, scale_);
    DeleteObject(font_);
    font_ = font;
    // The system's suggestion keeps the window where it was; its client area is the design's
    // size in the new font.
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int extraX = scale_.ToScreenX(kFormWidth) - client.right;
    const int extraY = scale_.ToScreenY(kFormHeight) - client.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, suggested.right - suggested.left + extraX,
                 suggested.bottom - suggested.top + extraY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::FillToolTip(NMTTDISPINFOW& request) {
    const auto control = toolkit_->ControlOf(reinterpret_cast<HWND>(request.hdr.idFrom));
    tip_ = control ? WideText(toolkit_->ItemHint(*control)) : std::wstring();
    request.lpszText = tip_.data();
}

HBRUSH MainWindow::ControlBrush(HWND control, HDC dc) {
    // The edit field and the list of a drop-down list are windows of their own inside it.
    auto owner = toolkit_->ControlOf(control);
    if (!owner) {
        owner = toolkit_->ControlOf(GetParent(control));
    }
    if (!owner || toolkit_->ColourOf(*owner) != Colour::LightRed) {
        return nullptr;
    }
    SetBkColor(dc, kLightRed);
    return lightRed_;
}

void MainWindow::DrawListItem(const DRAWITEMSTRUCT& item) {
    const bool field = (item.itemState & ODS_COMBOBOXEDIT) != 0;
    const bool red = field && toolkit_->ColourOf(Control::cbPort) == Colour::LightRed;
    COLORREF background = GetSysColor(COLOR_WINDOW);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    if (red) {
        // The colour must show even while the list has the focus: a focus frame instead of
        // the selection colour.
        background = kLightRed;
    } else if (item.itemState & ODS_SELECTED) {
        background = GetSysColor(COLOR_HIGHLIGHT);
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    if (item.itemState & ODS_DISABLED) {
        text = GetSysColor(COLOR_GRAYTEXT);
    }
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(item.hDC, &item.rcItem, brush);
    DeleteObject(brush);
    if (item.itemID != static_cast<UINT>(-1)) {
        std::wstring entry(static_cast<std::size_t>(std::max<LRESULT>(
                               0, SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0))),
                           L'\0');
        SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID,
                     reinterpret_cast<LPARAM>(entry.data()));
        RECT area = item.rcItem;
        area.left += 2;
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, text);
        DrawTextW(item.hDC, entry.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (red && (item.itemState & ODS_FOCUS)) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}
