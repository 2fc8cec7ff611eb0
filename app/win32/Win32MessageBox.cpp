#include "app/actions/MessageText.h"
#include "app/win32/Win32Dialogs.h"
#include "support/WideText.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using enum MessageButton;

UINT IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return MB_ICONWARNING;
    case MessageKind::Error:
        return MB_ICONERROR;
    case MessageKind::Information:
        return MB_ICONINFORMATION;
    case MessageKind::Confirmation:
        return MB_ICONQUESTION;
    case MessageKind::Custom:
        break;
    }
    return 0;
}

struct ButtonSet {
    std::vector<MessageButton> buttons;
    UINT style;
};

UINT ButtonsOf(const std::vector<MessageButton>& buttons) {
    const std::array<ButtonSet, 6> sets{{
        {{Ok}, MB_OK},
        {{Ok, Cancel}, MB_OKCANCEL},
        {{Yes, No}, MB_YESNO},
        {{Yes, No, Cancel}, MB_YESNOCANCEL},
        {{Retry, Cancel}, MB_RETRYCANCEL},
        {{Abort, Retry, Ignore}, MB_ABORTRETRYIGNORE},
    }};
    const auto it = std::ranges::find(sets, buttons, &ButtonSet::buttons);
    return it == sets.end() ? MB_OK : it->style;
}

// Where the next box of this thread goes, in screen pixels; a coordinate left empty centres the
// box on that axis of its screen's work area.
struct Placement {
    std::optional<int> left;
    std::optional<int> top;
    // Instead of left and top: the box centred on this rectangle (and kept on its screen).
    std::optional<RECT> centreOn;
    HHOOK hook = nullptr;
};
Placement g_placement;

// Moves the box as it is activated, before it is first painted, then steps aside.
LRESULT CALLBACK PlaceBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HCBT_ACTIVATE) {
        return CallNextHookEx(g_placement.hook, code, wParam, lParam);
    }
    HWND box = reinterpret_cast<HWND>(wParam);
    RECT frame{};
    GetWindowRect(box, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int left = g_placement.left.value_or((area.left + area.right - width) / 2);
    int top = g_placement.top.value_or((area.top + area.bottom - height) / 2);
    if (const std::optional<RECT>& centre = g_placement.centreOn) {
        left = std::clamp<int>((centre->left + centre->right - width) / 2, area.left,
                               std::max<int>(area.left, area.right - width));
        top = std::clamp<int>((centre->top + centre->bottom - height) / 2, area.top,
                              std::max<int>(area.top, area.bottom - height));
    }
    SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UnhookWindowsHookEx(g_placement.hook);
    g_placement.hook = nullptr;
    return 0;
}

// A box the system would place in the middle of the screen goes over the window instead, centred
// on it, as the window's other boxes come up over it too.
Placement OverOwner(HWND owner) {
    RECT window{};
    if (!owner || !GetWindowRect(owner, &window)) {
        return {};
    }
    Placement placement;
    placement.centreOn = window;
    return placement;
}

} // namespace

UINT MessageBoxStyle(const MessageRequest& request) {
    const UINT buttons = ButtonsOf(request.buttons);
    // A single OK stands in for a set the system box does not offer: then it is the default.
    constexpr std::array<UINT, 4> defaults{MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3,
                                           MB_DEFBUTTON4};
    const std::size_t index =
        buttons == MB_OK ? 0 : std::min(request.defaultButton, defaults.size() - 1);
    return buttons | defaults[index] | IconOf(request.kind) | MB_APPLMODAL | MB_SETFOREGROUND;
}

MessageButton AnswerOf(int result) {
    switch (result) {
    case IDOK:
        return Ok;
    case IDYES:
        return Yes;
    case IDNO:
        return No;
    case IDABORT:
        return Abort;
    case IDRETRY:
        return Retry;
    case IDIGNORE:
        return Ignore;
    default:
        return Cancel;
    }
}

MessageButton RunNativeMessageBox(HWND owner, const MessageRequest& request) {
    if (request.systemPlaced) {
        g_placement = OverOwner(owner);
    } else {
        g_placement = {};
        g_placement.left = request.left;
        g_placement.top = request.top;
    }
    g_placement.hook = SetWindowsHookExW(WH_CBT, PlaceBox, nullptr, GetCurrentThreadId());
    const int result = MessageBoxW(owner, WideText(WithLineBreaks(request.text)).c_str(),
                                   WideText(request.caption).c_str(), MessageBoxStyle(request));
    if (g_placement.hook) {
        // The box never came up.
        UnhookWindowsHookEx(g_placement.hook);
        g_placement.hook = nullptr;
    }
    return AnswerOf(result);
}
