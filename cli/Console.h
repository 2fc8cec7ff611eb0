// Console forms of the window's messages: message texts use a carriage return as line break
// (two give an empty line), which a console shows as line feeds.
#pragma once

#include "cli/CliIo.h"

#include <string>

std::string MessageLines(const std::string& text);

// The overwrite question: yes only for an answer that starts with "y" or "Y".
bool AskYesNo(CliIo& io, const std::string& question);
