#include "cli/TransferSettings.h"

#include "tftp/IdTrivialFTPBase.h"

const std::vector<OptionDef>& TransferOptionDefs() {
    static const std::vector<OptionDef> definitions = {
        {"host", true},    {"port", true}, {"timeout", true},
        {"blksize", true}, {"yes", false}, {"quiet", false},
    };
    return definitions;
}

TransferSettings ReadTransferSettings(const ParsedArgs& args) {
    TransferSettings settings;
    const auto host = args.Value("host");
    if (!host || host->empty()) {
        throw UsageError("--host is required: name the device's host name or IPv4 address");
    }
    settings.host = *host;
    if (const auto port = args.Value("port")) {
        settings.port = static_cast<std::uint16_t>(ParseNumber(*port, 1, 65535, "--port"));
    }
    if (const auto timeout = args.Value("timeout")) {
        settings.timeoutSeconds = static_cast<int>(ParseNumber(*timeout, 1, 16, "--timeout"));
    }
    if (const auto blockSize = args.Value("blksize")) {
        settings.blockSize = static_cast<int>(
            ParseNumber(*blockSize, TFTP_MIN_BLOCK_SIZE, TFTP_MAX_BLOCK_SIZE, "--blksize"));
    }
    settings.yes = args.Has("yes");
    settings.quiet = args.Has("quiet");
    return settings;
}
