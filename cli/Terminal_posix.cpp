#include "cli/Terminal.h"

#include <unistd.h>

bool IsTerminal(int standardStream) {
    return ::isatty(standardStream) == 1;
}
