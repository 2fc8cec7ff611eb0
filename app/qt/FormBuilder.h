// Builds the window's widgets from its design table.
#pragma once

#include "app/FormDesign.h"

#include <map>

class QWidget;

using ControlMap = std::map<Control, QWidget*>;

// Creates every designed control inside window (which becomes Form1), with position, size,
// text, hint, range, visibility and tab order, and gives the window its fixed size and font.
ControlMap BuildControls(QWidget& window);
