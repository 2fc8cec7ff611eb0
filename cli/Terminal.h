// Whether a standard stream (0 in, 1 out, 2 err) is an interactive terminal.
#pragma once

bool IsTerminal(int standardStream);
