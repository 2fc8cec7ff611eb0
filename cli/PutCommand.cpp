// quorvel-cli put: the window's "Put file" on the command line.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/TransferRun.h"
#include "tftp/IdTrivialFTP.h"

#include <filesystem>
#include <ostream>

namespace {

// The window retries a block three times before it gives a put up.
constexpr std::int32_t kRetries = 3;

} // namespace

int RunPut(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io) {
    const std::string& local = arguments[0];
    const std::string remote =
        arguments.size() > 1 ? arguments[1] : std::filesystem::path(local).filename().string();
    if (local.empty() || remote.empty()) {
        throw UsageError("\"" + local + "\" names no file to send");
    }
    const TransferSettings settings = ReadTransferSettings(args);
    try {
        RunTransfer(settings, io,
                    [&](TIdTrivialFTP& client) { client.Upload(local, remote, kRetries); });
    } catch (const std::exception& error) {
        // The local file is only read, so nothing is cleaned up.
        io.err << MessageLines("TFTP put file failed!\r\r" + ClassNameOf(error) + ": " +
                               error.what())
               << "\n";
        return 1;
    }
    io.out << "File \"" << local << "\" successfull sent\n";
    return 0;
}
