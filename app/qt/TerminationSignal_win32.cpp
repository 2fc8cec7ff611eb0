#include "app/qt/TerminationSignal.h"

// Windows ends a program with a window by closing that window (WM_CLOSE, or the end of the
// session), which Qt already delivers as a close event; there is no signal to catch.
void CatchTerminationSignals() {}

void CloseOnTerminationSignal(QWidget&) {}
