#include "sim/SimArguments.h"

#include "cli/CommandLine.h"
#include "tftp/IdTrivialFTPBase.h"

namespace {

// The device listens where real TFTP servers do.
constexpr std::uint16_t kDefaultPort = 69;
constexpr unsigned long kMaxCount = 1'000'000;

const std::vector<OptionDef> kOptions = {
    {"help", false, 'h'},
    {"bind", true},
    {"port", true},
    {"timeout", true},
    {"retries", true},
    {"verbose", false},
    {"ignore-options", false},
    {"drop", true},
    {"duplicate", true},
    {"silent-after", true},
    {"error", true},
    {"error-at", true},
    {"oack-tsize-first", false},
    {"oack-uppercase", false},
    {"oack-blksize", true},
    {"stray", true},
    {"skip-block", true},
};

// The meaning of each error code, sent when --error names no text of its own.
std::string StandardErrorText(std::uint16_t code) {
    static const char* const texts[] = {
        "Undefined error",          "File not found",
        "Access violation",         "Disk full or allocation exceeded",
        "Illegal TFTP operation",   "Unknown transfer ID",
        "File already exists",      "No such user",
        "Option negotiation failed"};
    return code < std::size(texts) ? texts[code] : "Error " + std::to_string(code);
}

unsigned Count(const std::string& text, const std::string& option, unsigned long min = 1) {
    return static_cast<unsigned>(ParseNumber(text, min, kMaxCount, "--" + option));
}

std::set<unsigned> Counts(const ParsedArgs& parsed, const std::string& option) {
    std::set<unsigned> numbers;
    for (const std::string& value : parsed.Values(option)) {
        numbers.insert(Count(value, option));
    }
    return numbers;
}

std::optional<unsigned> OptionalCount(const ParsedArgs& parsed, const std::string& option,
                                      unsigned long min) {
    if (const auto value = parsed.Value(option)) {
        return Count(*value, option, min);
    }
    return std::nullopt;
}

void ReadErrorSwitch(const ParsedArgs& parsed, SimFaults& faults) {
    if (const auto value = parsed.Value("error")) {
        const auto colon = value->find(':');
        faults.errorCode =
            static_cast<std::uint16_t>(ParseNumber(value->substr(0, colon), 0, 65535, "--error"));
        faults.errorText = colon == std::string::npos ? StandardErrorText(*faults.errorCode)
                                                      : value->substr(colon + 1);
    }
    if (const auto block = OptionalCount(parsed, "error-at", 0)) {
        if (!faults.errorCode) {
            throw UsageError("--error-at needs --error");
        }
        faults.errorAtBlock = *block;
    }
}

SimFaults ReadFaults(const ParsedArgs& parsed) {
    SimFaults faults;
    faults.ignoreOptions = parsed.Has("ignore-options");
    faults.dropPackets = Counts(parsed, "drop");
    faults.duplicatePackets = Counts(parsed, "duplicate");
    faults.silentAfterBlock = OptionalCount(parsed, "silent-after", 0);
    ReadErrorSwitch(parsed, faults);
    faults.oackExtraOption = parsed.Has("oack-tsize-first");
    faults.oackUpperCase = parsed.Has("oack-uppercase");
    faults.oackBlockSize = parsed.Value("oack-blksize");
    faults.strayAfterPacket = OptionalCount(parsed, "stray", 1);
    faults.skipBlock = OptionalCount(parsed, "skip-block", 1);
    return faults;
}

} // namespace

SimCommandLine ParseSimArguments(const std::vector<std::string>& args) {
    const ParsedArgs parsed = ScanArguments(args, kOptions);
    SimCommandLine result;
    result.help = parsed.Has("help");
    if (parsed.positionals.size() > 1) {
        throw UsageError("only one folder can be served, got \"" + parsed.positionals[1] + "\"");
    }
    SimOptions& options = result.options;
    if (!parsed.positionals.empty()) {
        options.folder = parsed.positionals[0];
    }
    options.bindAddress = parsed.Value("bind").value_or(options.bindAddress);
    options.port = static_cast<std::uint16_t>(ParseNumber(
        parsed.Value("port").value_or(std::to_string(kDefaultPort)), 0, 65535, "--port"));
    if (const auto timeout = parsed.Value("timeout")) {
        options.timeoutMs = static_cast<unsigned>(ParseNumber(*timeout, 10, 60'000, "--timeout"));
    }
    if (const auto retries = parsed.Value("retries")) {
        options.retries = static_cast<unsigned>(ParseNumber(*retries, 0, 100, "--retries"));
    }
    options.verbose = parsed.Has("verbose");
    options.faults = ReadFaults(parsed);
    return result;
}

const char* SimUsageText() {
    return R"(Usage: quorvel-sim [OPTIONS] [FOLDER]

Plays the radio-modem device on the network: a TFTP server for the files of FOLDER (default:
the current folder). Uploads replace files in FOLDER once they are complete. Names with a
folder, a drive or ".." are refused. Each request and its result is logged on stdout; the
first line tells where the simulator listens: "listening on ADDRESS:PORT".

Options:
  --bind ADDRESS       IPv4 address to listen on (default 127.0.0.1)
  --port N             request port (default 69; 0 picks a free port)
  --timeout MS         wait this long for the client before sending again (default 1000)
  --retries N          send again this often before giving a transfer up (default 5)
  --verbose            log every packet, not only requests, results and faults
  -h, --help           show this text

Faults (any combination; packets are counted per transfer from 1, in the order the
simulator sends them, resent packets included):
  --ignore-options     ignore the blksize option: answer DATA 1 or ACK 0 at once
  --drop N             do not send packet N (may be given several times)
  --duplicate N        send packet N twice (may be given several times)
  --silent-after N     send nothing more once block N is sent or acknowledged
                       (0: once the OACK or ACK 0 is sent)
  --error CODE[:TEXT]  answer the request with ERROR CODE and TEXT
                       (default text: the meaning of CODE)
  --error-at N         send that ERROR instead of DATA N (read) or ACK N (write)
  --oack-tsize-first   put a tsize option before blksize in the OACK
  --oack-uppercase     name the option "BLKSIZE" in the OACK
  --oack-blksize TEXT  announce TEXT as the block size, whatever was asked for (any
                       text: 0, 7, 65465, 70000, abc); blocks of that size are sent
                       when a datagram can carry them, else blocks of 512 bytes
  --stray N            after packet N, send a copy of it from another port
  --skip-block N       in a read, number the block after N-1 as N+1 (no data lost)

Example:
  quorvel-sim --port 6969 --drop 3 ./device-files
)";
}
