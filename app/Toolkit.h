// The one seam between the window's logic and a windowing toolkit.
//
// The window's logic (start-up, settings, options, the actions) is plain C++ and talks to the
// screen only through this interface: the state of the named controls, the file dialogs, message
// boxes, event processing, the cursor and control colours. The Qt window (app/qt/) and the
// native Win32 window (app/win32/) implement it, and the tests a scripted fake. quorvel-cli needs
// none: it runs the actions through an ActionHost of its own.
#pragma once

#include "app/FormDesign.h"
#include "app/actions/FileDialogs.h"

#include <optional>
#include <string>
#include <vector>

enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

// Declared in the order in which a box shows the buttons of a set.
enum class MessageButton { Yes, No, Ok, Cancel, Abort, Retry, Ignore };

enum class Cursor { Arrow, Hourglass };

// Control backgrounds: the system's window colour, or the light red RGB(240, 128, 128) that marks
// a COM port which could not be opened.
enum class Colour { Window, LightRed };

// One modal message box.
struct MessageRequest {
    std::string caption;
    std::string text; // a CR (or CR LF) starts a new line; two give an empty line
    MessageKind kind = MessageKind::Custom;
    std::vector<MessageButton> buttons; // in display order, never empty
    std::size_t defaultButton = 0;      // index into buttons
    // Placement of the box's top-left corner in screen pixels. A coordinate left empty is the
    // one that centres the box on the screen. systemPlaced lets the toolkit place the box as
    // it places its own question boxes (both coordinates are then ignored).
    std::optional<int> left = std::nullopt;
    std::optional<int> top = std::nullopt;
    bool systemPlaced = false;
    // Shown also once the window has begun to close: the result of a step that could not be
    // cancelled, which the user must not miss (the firmware update's power warning).
    bool evenWhileClosing = false;
};

// One run of a file dialog; the logic keeps the folder and file name between runs.
struct FileDialogRequest {
    const FileDialogSetup* setup = nullptr;
    std::string title;
    std::string folder;   // starting folder; empty: the toolkit's choice
    std::string fileName; // the file chosen last time (full path or name), preselected
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Text of edit fields, labels, buttons, group boxes and, for Form1, the window caption.
    virtual std::string Text(Control control) const = 0;
    virtual void SetText(Control control, const std::string& text) = 0;

    // Radio buttons of one group are exclusive: checking one unchecks the others. Unchecking
    // from code may leave none checked. Setting the state from code runs no handler.
    virtual bool Checked(Control control) const = 0;
    virtual void SetChecked(Control control, bool checked) = 0;

    // The value of a spin field, the selected list position of a drop-down list (-1 for none)
    // or the position of a progress bar. The logic passes only values inside the control's range.
    virtual int Value(Control control) const = 0;
    virtual void SetValue(Control control, int value) = 0;

    // The maximum of a progress bar (its minimum is 0).
    virtual int Maximum(Control control) const = 0;
    virtual void SetMaximum(Control control, int maximum) = 0;

    // Replaces the entries of a drop-down list; nothing is selected afterwards.
    virtual void SetItems(Control control, const std::vector<std::string>& items) = 0;
    // The hint shown for the entry at position of a drop-down list, such as the device a COM
    // entry reaches. A toolkit that shows no hints for list entries may leave it out.
    virtual void SetItemHint(Control /*control*/, int /*position*/, const std::string& /*hint*/) {}

    // A disabled group box disables everything inside it.
    virtual bool Enabled(Control control) const = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;

    // The control's own visibility flag (also while its window is not on the screen yet).
    virtual bool Visible(Control control) const = 0;
    virtual void SetVisible(Control control, bool visible) = 0;

    // Position and size inside the parent; for Form1 the window's position on the screen and
    // its client size. The window's size is fixed: SetBounds on Form1 only moves it.
    virtual Bounds GetBounds(Control control) const = 0;
    virtual void SetBounds(Control control, const Bounds& bounds) = 0;

    virtual void SetColour(Control control, Colour colour) = 0;

    // Paints the control at once, without waiting for the event loop.
    virtual void Repaint(Control control) = 0;

    // Shows a modal file dialog; returns the chosen path, or nothing when the user cancels.
    // A typed name without extension that does not exist gets the setup's default extension.
    virtual std::optional<std::string> RunFileDialog(const FileDialogRequest& request) = 0;

    // Shows a modal message box and returns the button pressed; Cancel when the box could not
    // be shown or was closed without a button.
    virtual MessageButton ShowMessage(const MessageRequest& request) = 0;

    // Processes the pending events once and returns.
    virtual void ProcessEvents() = 0;

    // The screen cursor for the whole program.
    virtual void SetCursor(Cursor cursor) = 0;

    // Asks the window to close, as its close box does; the close then runs FormClose.
    virtual void CloseWindow() = 0;
};
