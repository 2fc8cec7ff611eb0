// The window's native controls, built from its design table, and the mapping between the design's
// pixels and the screen's.
#pragma once

#include "app/FormDesign.h"

#include <windows.h>

#include <map>
#include <string_view>

// The window was laid out for "MS Sans Serif" 8 pt on a 96 dpi screen, where that font's dialog
// base units are 6 × 13 pixels. Positions are kept in those design pixels (the logic reads and
// moves controls by them) and go to the screen in dialog units of the font actually in use, so
// that a larger font or a higher resolution scales the whole window and its texts still fit.
class DialogScale {
public:
    DialogScale() = default;
    // The base units of font on the screen (average character width and height in pixels).
    explicit DialogScale(HFONT font);

    int ToScreenX(int x) const { return MulDiv(x, unitX_, kDesignUnitX); }
    int ToScreenY(int y) const { return MulDiv(y, unitY_, kDesignUnitY); }
    int ToDesignX(int x) const { return MulDiv(x, kDesignUnitX, unitX_); }
    int ToDesignY(int y) const { return MulDiv(y, kDesignUnitY, unitY_); }
    RECT ToScreen(const Bounds& bounds) const;

private:
    static constexpr int kDesignUnitX = 6;
    static constexpr int kDesignUnitY = 13;
    int unitX_ = kDesignUnitX;
    int unitY_ = kDesignUnitY;
};

// The screen's resolution in pixels per inch, as the system gave it to the program at start.
int ScreenDpi();
// The window's font: "MS Sans Serif" 8 pt at a resolution in pixels per inch.
HFONT CreateWindowFont(int pixelsPerInch);

struct NativeControl {
    HWND hwnd = nullptr;
    HWND buddy = nullptr; // the up-down arrows of a spin field
};

using NativeControls = std::map<Control, NativeControl>;

// The window's tool tips.
HWND CreateToolTips(HWND window);
// Shows hint over control; an empty hint is asked of window (TTN_GETDISPINFO) each time.
void AddHint(HWND tips, HWND window, HWND control, std::string_view hint);

// Creates every designed control as a child of window, in tab order, with its text, range,
// visibility and font; controls of a group box lie inside the box's area. Hints go to tips.
NativeControls BuildControls(HWND window, HWND tips, HFONT font, const DialogScale& scale);

// Gives every control the font and the place of its bounds (design pixels inside its parent) on
// the screen of scale: at the start, and again when the window moves to a screen of another
// resolution. A label designed without a size takes the size of its text.
void LayOutControls(const NativeControls& controls, const std::map<Control, Bounds>& bounds,
                    HFONT font, const DialogScale& scale);

// Where a control lies in the window: its design position plus that of its group box.
Bounds WindowBounds(Control control, const Bounds& bounds);

// Child window identifiers start above the dialog manager's own (IDOK, IDCANCEL, ...).
inline constexpr int kFirstControlId = 1000;

// The height of the COM list's closed field and of its open list, in design pixels.
inline constexpr int kListItemHeight = 15;
inline constexpr int kListVisibleItems = 12;
