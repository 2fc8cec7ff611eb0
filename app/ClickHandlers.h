// Which handler of the window's logic a click on each button runs: the one table with which every
// toolkit's window (Qt's, Win32's) wires its buttons. The two connection choices share one
// handler, as a click on either changes the connection.
#pragma once

#include "app/FormDesign.h"

#include <span>

class TForm1;

struct ClickHandler {
    Control control;
    void (TForm1::*handler)();
};

std::span<const ClickHandler> ClickHandlers();
