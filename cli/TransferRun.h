// The frame every transfer command runs in, as the window's: the client is set up from the
// connection options, its work events drive the progress line and the diagnostic log, and
// Ctrl+C cancels it. Failures leave as the client's exceptions.
#pragma once

#include "cli/CliIo.h"
#include "cli/TransferSettings.h"

#include <functional>

class TIdTrivialFTP;

void RunTransfer(const TransferSettings& settings, CliIo& io,
                 const std::function<void(TIdTrivialFTP&)>& operation);
