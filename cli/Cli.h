// quorvel-cli: the window's file actions on the command line.
#pragma once

#include "cli/CliIo.h"

#include <string>
#include <vector>

// Runs one command line (without the program name) and returns the exit status: 0 done,
// 1 the transfer failed or was refused, 2 wrong usage.
int RunCli(const std::vector<std::string>& args, CliIo& io);

const char* CliUsageText();
