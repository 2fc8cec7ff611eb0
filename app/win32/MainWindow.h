// The program's one window on Win32: the native controls, wired to the window's logic TForm1.
#pragma once

#include "app/HandlerRunner.h"
#include "app/Main.h"
#include "app/win32/Win32Toolkit.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class MainWindow {
public:
    // Creates the window (hidden) with its controls and runs the start-up (FormCreate) with the
    // program's path and its argument vector.
    MainWindow(const std::string& programPath, const std::vector<std::string>& params);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void Show(int showCommand);
    // Runs the message loop until the window has been closed; returns the program's exit code.
    int RunMessageLoop();
    // Hands one message on as the loop does: key preview, dialog keys (Tab, Esc), the window.
    void Dispatch(MSG& message);

    HWND Handle() const { return hwnd_; }
    bool Closed() const { return hwnd_ == nullptr; }
    TForm1& Form() { return *form_; }
    Win32Toolkit& Toolkit() { return *toolkit_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(Control control, WORD notification);
    // Alt+L and the other keys the logic previews; true when the key was consumed.
    bool PreviewKey(const MSG& message);
    void OnClose();
    // Gives up the file dialog or box the running action waits in, for a close.
    void DismissModalWindows();
    void KeepOnScreen();
    // The COM list's field and entries; the field shows the colour the logic gave the list.
    void DrawListItem(const DRAWITEMSTRUCT& item);
    // The text of a tool tip that asks the window for it.
    void FillToolTip(NMTTDISPINFOW& request);
    // The window moved to a screen of another resolution (dpi, pixels per inch): a font for it,
    // and the controls and the window laid out in it at the place the system suggests.
    void OnDpiChanged(int dpi, const RECT& suggested);
    // The background of a control that the logic coloured; nullptr for the system's own.
    HBRUSH ControlBrush(HWND control, HDC dc);
    void Run(const std::function<void()>& handler) { runner_->Run(handler); }

    HFONT font_ = nullptr;
    HBRUSH lightRed_ = nullptr;
    DialogScale scale_;
    HWND hwnd_ = nullptr;
    std::wstring tip_;     // the text of the tool tip being shown
    HWND focus_ = nullptr; // the control that had the focus when the window was deactivated
    std::unique_ptr<Win32Toolkit> toolkit_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<HandlerRunner> runner_;
};
