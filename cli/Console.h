// The question at the terminal.
#pragma once

#include "cli/CliIo.h"

#include <string>

// Asks question (a CR starts a new line) on stderr and reads the answer from stdin: yes only for
// an answer that starts with "y" or "Y".
bool AskYesNo(CliIo& io, const std::string& question);
