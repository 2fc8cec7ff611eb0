#include "support/ConsoleText.h"

// A terminal here shows UTF-8 as it is.
void UseConsoleText() {}
