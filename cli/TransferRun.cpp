#include "cli/TransferRun.h"

#include "cli/Cancel.h"
#include "cli/ProgressLine.h"
#include "support/Save_Err.h"
#include "tftp/IdTrivialFTP.h"

void RunTransfer(const TransferSettings& settings, CliIo& io,
                 const std::function<void(TIdTrivialFTP&)>& operation) {
    TIdTrivialFTP client;
    // An empty host selects the serial line, where the port is the COM number.
    client.Host = settings.host;
    client.Port = settings.comPort > 0 ? settings.comPort : settings.port;
    client.SerialGapTimeout = settings.gapMs;
    client.ReceiveTimeout = settings.timeoutSeconds * 1000;
    client.RequestedBlockSize = settings.blockSize;

    ProgressLine progress(io.err, io.errIsTerminal && !settings.quiet);
    CancelTarget cancel(client);
    // The same diagnostic lines as the window's progress handlers.
    client.OnWorkBegin = [&](TIdComponent*, TWorkMode mode, std::int64_t max) {
        WriteLog("WorkBeginEvent " + std::to_string(static_cast<int>(mode)) + " " +
                 std::to_string(max));
        progress.Begin(max);
    };
    client.OnWork = [&](TIdComponent*, TWorkMode, std::int64_t count) {
        WriteLog("WorkEvent " + std::to_string(count));
        cancel.Renew();
        progress.Update(count);
    };
    client.OnWorkEnd = [&](TIdComponent*, TWorkMode) {
        WriteLog("WorkEndEvent ");
        progress.Finish();
    };
    cancel.Renew();
    operation(client);
}
