// The native Win32 window in the test's own process: controls, wiring, colours and boxes.
#include "app/win32/MainWindow.h"
#include "app/win32/Win32Dialogs.h"
#include "sim/SampleLogger.h"
#include "support/PathText.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

using enum Control;

namespace {

// What a box of this thread looked like when it came up; the box is then closed with OK.
struct SeenBox {
    RECT frame{};
    int count = 0;
};
SeenBox g_seen;

BOOL CALLBACK CloseBox(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string_view(name) == "#32770" && IsWindowVisible(window)) {
        GetWindowRect(window, &g_seen.frame);
        ++g_seen.count;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

// Runs inside the box's own message loop.
void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
}

class Win32WindowTest : public ::testing::Test {
protected:
    Win32WindowTest() {
        g_seen = {};
        timer_ = SetTimer(nullptr, 0, 20, CloseBoxes);
    }
    ~Win32WindowTest() override { KillTimer(nullptr, timer_); }

    std::unique_ptr<MainWindow> Open() {
        const std::string program = PathText(folder.Path() / "quorvel.exe");
        return std::make_unique<MainWindow>(program, std::vector<std::string>{program});
    }
    static DialogScale ScaleOf(MainWindow& window) {
        return DialogScale(
            reinterpret_cast<HFONT>(SendMessageA(window.Handle(), WM_GETFONT, 0, 0)));
    }
    // Hands a key to the window as its message loop would, Alt held.
    static void PressAlt(MainWindow& window, Control target, char key) {
        MSG message{};
        message.hwnd = window.Toolkit().Handle(target);
        message.message = WM_SYSKEYDOWN;
        message.wParam = static_cast<WPARAM>(key);
        message.lParam = 1 | (1 << 29); // one press, Alt held
        window.Dispatch(message);
    }

    TempFolder folder;
    UINT_PTR timer_ = 0;
};

TEST_F(Win32WindowTest, FixedWindowWithTheDesignedControlsInTabOrder) {
    auto window = Open();
    const auto style = GetWindowLongA(window->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(window->Toolkit().Text(Form1), "Quorvel V1.8");

    const DialogScale scale = ScaleOf(*window);
    RECT client{};
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, scale.ToScreenX(386));
    EXPECT_EQ(client.bottom, scale.ToScreenY(249));
    RECT put{};
    GetWindowRect(window->Toolkit().Handle(btnPut), &put);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&put), 2);
    const RECT designed = scale.ToScreen({286, 136, 85, 25});
    EXPECT_TRUE(EqualRect(&put, &designed));

    // Tab and Shift+Tab follow the order of the controls; of the two radio buttons only the
    // checked one is a tab stop (the arrow keys move between them).
    std::vector<std::string_view> order;
    for (HWND child = GetWindow(window->Handle(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto control = window->Toolkit().ControlOf(child);
        const ControlKind kind = control ? DesignOf(*control).kind : ControlKind::Label;
        const bool focusable = kind != ControlKind::Label && kind != ControlKind::GroupBox &&
                               kind != ControlKind::ProgressBar;
        // The spin field's arrows follow the field.
        if (focusable && (order.empty() || order.back() != DesignOf(*control).name)) {
            order.push_back(DesignOf(*control).name);
        }
    }
    EXPECT_TRUE(GetWindowLongA(window->Toolkit().Handle(rb1), GWL_STYLE) & WS_TABSTOP);
    const std::vector<std::string_view> expected{
        "rb1",         "rb2",    "eIP",    "cbPort",        "btnsetTransfermode", "seTO",
        "btnFirmware", "btnGet", "btnPut", "btnReadLogger", "btnconvertLogger",   "btnClose",
        "btnCancel"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(window->Toolkit().Value(cbPort), 0);
    EXPECT_FALSE(window->Toolkit().Visible(btnCancel));
}

TEST_F(Win32WindowTest, GroupBoxDisablesItsControlsAndGivesThemBackTheirOwnState) {
    auto window = Open();
    Win32Toolkit& ui = window->Toolkit();
    EXPECT_FALSE(ui.Enabled(btnsetTransfermode)) << "IP network is checked";
    ui.SetEnabled(GroupBox1, false);
    EXPECT_FALSE(ui.Enabled(eIP));
    EXPECT_FALSE(IsWindowEnabled(ui.Handle(rb2)));
    ui.SetEnabled(GroupBox1, true);
    EXPECT_TRUE(ui.Enabled(eIP));
    EXPECT_FALSE(ui.Enabled(btnsetTransfermode));
    SendMessageA(ui.Handle(rb2), BM_CLICK, 0, 0);
    EXPECT_TRUE(ui.Checked(rb2));
    EXPECT_FALSE(ui.Checked(rb1));
    EXPECT_TRUE(ui.Enabled(btnsetTransfermode)) << "the click ran rb2Click";
}

TEST_F(Win32WindowTest, SpinFieldKeepsTypedValuesInItsRange) {
    auto window = Open();
    Win32Toolkit& ui = window->Toolkit();
    HWND field = ui.Handle(seTO);
    SetWindowTextA(field, "99");
    EXPECT_EQ(ui.Value(seTO), 16);
    ui.SetValue(seTO, 7);
    SetWindowTextA(field, "");
    EXPECT_EQ(ui.Value(seTO), 7) << "an empty field keeps the last value";
}

TEST_F(Win32WindowTest, SpinFieldShowsTheValueATypedNumberWasBroughtToOnLeaving) {
    auto window = Open();
    HWND field = window->Toolkit().Handle(seTO);
    SetWindowTextW(field, L"99");
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(field));
    EXPECT_EQ(window->Toolkit().Text(seTO), "16");
}

// The port label is right-aligned in a fixed width: a longer text grows it to the left, up to
// the "Host" label, instead of losing its start under it.
TEST_F(Win32WindowTest, PortLabelGrowsLeftOverFreeSpaceAndKeepsClearOfHost) {
    auto window = Open();
    Win32Toolkit& ui = window->Toolkit();
    ui.SetText(LblPort, "(target port=65535)");
    RECT label{};
    RECT host{};
    GetWindowRect(ui.Handle(LblPort), &label);
    GetWindowRect(ui.Handle(Label1), &host);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&label), 2);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&host), 2);
    EXPECT_GE(label.left, host.right);
    const RECT designed = ScaleOf(*window).ToScreen({48, 72, 88, 13});
    EXPECT_LT(label.left, designed.left);
    EXPECT_EQ(label.right, designed.right);
}

// A new resolution (the window moved to another screen) gives a font for it and the whole
// layout in that font, the window's client area included.
TEST_F(Win32WindowTest, ChangeOfResolutionLaysTheWindowOutAnew) {
    auto window = Open();
    const DialogScale before = ScaleOf(*window);
    RECT suggested{};
    GetWindowRect(window->Handle(), &suggested);
    suggested.right += (suggested.right - suggested.left) / 2;
    suggested.bottom += (suggested.bottom - suggested.top) / 2;
    constexpr UINT kDpiChanged = 0x02E0;
    SendMessageW(window->Handle(), kDpiChanged, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    const DialogScale after = ScaleOf(*window);
    EXPECT_GT(after.ToScreenX(386), before.ToScreenX(386));
    RECT client{};
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, after.ToScreenX(386));
    EXPECT_EQ(client.bottom, after.ToScreenY(249));
    RECT put{};
    GetWindowRect(window->Toolkit().Handle(btnPut), &put);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&put), 2);
    const RECT designed = after.ToScreen({286, 136, 85, 25});
    EXPECT_TRUE(EqualRect(&put, &designed));
}

TEST_F(Win32WindowTest, AltLConvertsTheLoggerBesideTheProgramAndIsConsumed) {
    auto window = Open();
    const fs::path csv = folder.Path() / "plog.csv";
    WriteFile(folder.Path() / "plog.zel", MakeSamplePlogZel(3));
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    PressAlt(*window, eIP, 'L');
    EXPECT_FALSE(fs::exists(csv)) << "Alt+Shift+L is no shortcut";
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    PressAlt(*window, eIP, 'L');
    EXPECT_TRUE(fs::exists(csv));
    EXPECT_EQ(g_seen.count, 1) << "one box tells the result";
    MSG left{};
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE))
        << "the key went no further";
}

TEST_F(Win32WindowTest, MessageBoxHasTheKindsIconAndButtonsAndItsPlace) {
    MessageRequest request{
        "Question", "?", MessageKind::Confirmation, {MessageButton::Yes, MessageButton::No}};
    request.defaultButton = 1;
    EXPECT_EQ(MessageBoxStyle(request) & ~UINT{MB_APPLMODAL | MB_SETFOREGROUND},
              UINT{MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2});
    EXPECT_EQ(AnswerOf(IDNO), MessageButton::No);
    EXPECT_EQ(AnswerOf(0), MessageButton::Cancel) << "a box that could not be shown";

    request = {"quorvel", "info", MessageKind::Custom, {MessageButton::Ok, MessageButton::Ignore}};
    request.defaultButton = 1;
    EXPECT_EQ(MessageBoxStyle(request) & ~UINT{MB_APPLMODAL | MB_SETFOREGROUND}, UINT{MB_OK})
        << "no icon; a set no system box offers is a single OK, its default";
    request.left = 170;
    request.top = 130;
    EXPECT_EQ(RunNativeMessageBox(nullptr, request), MessageButton::Ok);
    EXPECT_EQ(g_seen.count, 1);
    EXPECT_EQ(g_seen.frame.left, 170);
    EXPECT_EQ(g_seen.frame.top, 130);
}

// The overwrite question, which the system would put in the middle of the screen, comes up over
// the window like every other box.
TEST_F(Win32WindowTest, QuestionBoxOpensCentredOverTheWindow) {
    auto window = Open();
    SetWindowPos(window->Handle(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // (One OK button, which the test closes; the placement is that of the question.)
    MessageRequest question{
        "Question", "Overwrite?", MessageKind::Confirmation, {MessageButton::Ok}};
    question.systemPlaced = true;
    RunNativeMessageBox(window->Handle(), question);
    ASSERT_EQ(g_seen.count, 1);
    RECT frame{};
    GetWindowRect(window->Handle(), &frame);
    const auto centre = [](const RECT& r) {
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    EXPECT_LE(std::abs(centre(g_seen.frame).x - centre(frame).x), 1);
    EXPECT_LE(std::abs(centre(g_seen.frame).y - centre(frame).y), 1);
}

TEST(Win32FileDialogs, EachDialogGetsItsFilterAndOptions) {
    const FileDialogSetup& firmware = DialogSetupOf(Dialog::DlgFW);
    EXPECT_EQ(FileDialogFilter(firmware),
              std::string("firmware file (*.pfw/*.pfo)\0*.pfw;*.pfo\0\0", 41));
    EXPECT_EQ(FileDialogFlags(firmware),
              DWORD{OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                    OFN_FILEMUSTEXIST | OFN_ENABLESIZING});
    EXPECT_EQ(FileDialogFlags(DialogSetupOf(Dialog::DlgReadLogger)),
              DWORD{OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN |
                    OFN_DONTADDTORECENT | OFN_ENABLESIZING})
        << "no overwrite prompt: the action asks its own question";
    EXPECT_TRUE(FileDialogFilter(DialogSetupOf(Dialog::DlgPut)).empty()) << "every file";
}

} // namespace
