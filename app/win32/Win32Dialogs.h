// The system's file dialogs and message boxes for the window's Toolkit.
#pragma once

#include "app/Toolkit.h"

#include <windows.h>

#include <optional>
#include <string>

// The dialog's options as flags of GetOpenFileName and GetSaveFileName.
DWORD FileDialogFlags(const FileDialogSetup& setup);
// The filter as those calls take it: name and patterns, each ended by a NUL, and a final NUL;
// empty for a dialog that shows every file.
std::string FileDialogFilter(const FileDialogSetup& setup);
std::optional<std::string> RunNativeFileDialog(HWND owner, const FileDialogRequest& request);

// Icon, buttons and default button of a request as MessageBox flags; a set of buttons that a
// system box does not offer becomes a single OK.
UINT MessageBoxStyle(const MessageRequest& request);
// The button a MessageBox result stands for; Cancel for a result that is no button.
MessageButton AnswerOf(int result);
MessageButton RunNativeMessageBox(HWND owner, const MessageRequest& request);
