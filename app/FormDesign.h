// The main window as designed: its controls with kind, parent, position, size, text and hint,
// in tab order. A toolkit builds its widgets from this table; the logic names controls by it.
#pragma once

#include <span>
#include <string_view>

enum class Control {
    Form1,
    // group " Connection "
    GroupBox1,
    rb1,
    rb2,
    eIP,
    cbPort,
    btnsetTransfermode,
    seTO,
    Label1,
    LblPort,
    Label2,
    Label3,
    Label4,
    // group " Action "
    GroupBox2,
    btnFirmware,
    btnGet,
    btnPut,
    ProgressBar1,
    btnReadLogger,
    btnconvertLogger,
    // directly in the window
    btnClose,
    btnCancel,
};

enum class ControlKind {
    Window,
    GroupBox,
    RadioButton,
    Edit,
    DropDownList,
    Button,
    SpinEdit,
    Label,
    ProgressBar
};

// Left, top, width and height in pixels inside the parent. A label with width 0 sizes itself
// to its text.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds&) const = default;
};

struct ControlDesign {
    Control id;
    std::string_view name;
    ControlKind kind;
    Control parent;
    Bounds bounds;
    std::string_view text;
    std::string_view hint = {};
    bool visible = true;
    bool alignRight = false;
    int minimum = 0; // spin field and progress bar range, and their first value
    int maximum = 0;
    int value = 0;
};

// Client size of the window; the window cannot be resized.
inline constexpr int kFormWidth = 386;
inline constexpr int kFormHeight = 249;

inline constexpr std::string_view kCaption = "Quorvel V1.8";

// The device's address as it leaves the factory; a private-range address, shown in eIP until
// the settings or the user name another host.
inline constexpr std::string_view kFactoryAddress = "192.168.0.100";

// The COM port list holds "COM 1" .. "COM 40"; list position i stands for COM port i + 1.
inline constexpr int kComPortCount = 40;

// Range of the reply time-out in seconds (the spin field seTO) and its design value.
inline constexpr int kTimeoutMin = 1;
inline constexpr int kTimeoutMax = 16;
inline constexpr int kTimeoutDefault = 4;

// Every control except Form1, in tab order (the connection group, the action group, then the
// buttons directly in the window). Labels and the progress bar take no focus.
std::span<const ControlDesign> FormControls();

const ControlDesign& DesignOf(Control control);
