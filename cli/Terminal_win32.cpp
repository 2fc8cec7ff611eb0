#include "cli/Terminal.h"

#include <io.h>

bool IsTerminal(int standardStream) {
    return ::_isatty(standardStream) != 0;
}
