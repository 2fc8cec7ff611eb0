#include "cli/TransferSettings.h"

#include "cli/Commands.h"
#include "serial/ComPortMap.h"
#include "tftp/IdTrivialFTP.h"
#include "tftp/IdTrivialFTPBase.h"

namespace {

// The window lists COM 1 to 40; Windows numbers ports up to 255.
constexpr unsigned long kMaxComPort = 255;
constexpr unsigned long kMaxGapMs = 1000;

void ReadConnection(const ParsedArgs& args, TransferSettings& settings) {
    const auto host = args.Value("host");
    const auto com = args.Value("com");
    if (host && com) {
        throw UsageError("--host and --com exclude each other: choose the network or the "
                         "serial line");
    }
    if (com) {
        settings.comPort = ReadComNumber(*com);
        ReadSerialOptions(args, settings);
        return;
    }
    if (!host || host->empty()) {
        throw UsageError("name the device: --host H (its host name or IPv4 address) or --com N "
                         "(the serial line)");
    }
    settings.host = *host;
    ReadNetworkOptions(args, settings);
}

} // namespace

const std::vector<OptionDef>& TransferOptionDefs() {
    static const std::vector<OptionDef> definitions = DeviceCommandOptions({
        {"blksize", true},
        {"yes", false},
        {"quiet", false},
        {"settings", true},
    });
    return definitions;
}

std::vector<OptionDef> DeviceCommandOptions(std::vector<OptionDef> own) {
    std::vector<OptionDef> options{
        {"host", true}, {"port", true}, {"com", true}, {"gap", true}, {"timeout", true},
    };
    options.insert(options.end(), own.begin(), own.end());
    options.insert(options.end(), {{"hosts", true},
                                   {"jobs", true},
                                   {"report", true},
                                   {"only-failed", true},
                                   {"json", false}});
    return options;
}

int ReadComNumber(const std::string& text) {
    return static_cast<int>(ParseNumber(text, 1, kMaxComPort, "--com"));
}

void ReadSerialOptions(const ParsedArgs& args, TransferSettings& settings) {
    // The device of COM N as the window finds it: the environment, then the settings file.
    LoadComPortMap(TablesSettingsFile(args));
    if (args.Has("port")) {
        throw UsageError("--port belongs to the network; on the serial line --com names "
                         "the port");
    }
    if (const auto gap = args.Value("gap")) {
        settings.gapMs = static_cast<int>(ParseNumber(*gap, 1, kMaxGapMs, "--gap"));
    }
}

void ReadNetworkOptions(const ParsedArgs& args, TransferSettings& settings) {
    if (args.Has("gap")) {
        throw UsageError("--gap belongs to the serial line (--com N)");
    }
    if (const auto port = args.Value("port")) {
        settings.port = static_cast<std::uint16_t>(ParseNumber(*port, 1, 65535, "--port"));
    }
}

void ReadCommonOptions(const ParsedArgs& args, TransferSettings& settings) {
    if (const auto timeout = args.Value("timeout")) {
        settings.timeoutSeconds = static_cast<int>(ParseNumber(*timeout, 1, 16, "--timeout"));
    }
    if (const auto blockSize = args.Value("blksize")) {
        settings.blockSize = static_cast<int>(
            ParseNumber(*blockSize, TFTP_MIN_BLOCK_SIZE, TFTP_MAX_BLOCK_SIZE, "--blksize"));
    }
    settings.yes = args.Has("yes");
    settings.quiet = args.Has("quiet");
}

TransferSettings ReadTransferSettings(const ParsedArgs& args) {
    TransferSettings settings;
    ReadConnection(args, settings);
    ReadCommonOptions(args, settings);
    return settings;
}

void ApplyConnection(const TransferSettings& settings, TIdTrivialFTP& client) {
    // An empty host selects the serial line, where the port is the COM number.
    client.Host = settings.host;
    client.Port = settings.comPort > 0 ? settings.comPort : settings.port;
    client.SerialGapTimeout = settings.gapMs;
    client.ReceiveTimeout = settings.timeoutSeconds * 1000;
    client.RequestedBlockSize = settings.blockSize;
}
