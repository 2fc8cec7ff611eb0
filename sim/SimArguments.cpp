#include "sim/SimArguments.h"

#include "support/ArgumentScan.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <map>

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
    {"garbage", true},
    {"random", true},
    {"zel-seed", true},
    {"serial", false},
    {"serial-device", true},
    {"gap", true},
    {"pause", true},
    {"baud-pace", false},
    {"wake-required", false},
    {"devices", true},
    {"device-fault", true},
    {"latency", true},
};

// The fault switches, which --device-fault gives one device.
const std::vector<std::string> kFaultSwitches = {
    "ignore-options", "drop",     "duplicate",        "silent-after",
    "error",          "error-at", "oack-tsize-first", "oack-uppercase",
    "oack-blksize",   "stray",    "skip-block",       "garbage",
    "random"};
constexpr unsigned long kMaxDevices = 1000;
constexpr unsigned long kMaxLatencyMs = 10'000;

// Options that only one of the two transports knows.
const std::vector<std::string> kNetworkOnly = {"bind",    "port",    "stray",
                                               "devices", "latency", "device-fault"};
const std::vector<std::string> kSerialOnly = {"gap", "pause", "baud-pace", "wake-required"};
constexpr unsigned long kMaxGarbageBytes = 2000;

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

// "X[:N]": N bytes of noise before packet X.
void ReadGarbageSwitch(const ParsedArgs& parsed, SimFaults& faults) {
    if (const auto value = parsed.Value("garbage")) {
        const auto colon = value->find(':');
        faults.garbageBeforePacket = Count(value->substr(0, colon), "garbage");
        if (colon != std::string::npos) {
            faults.garbageBytes = static_cast<std::size_t>(
                ParseNumber(value->substr(colon + 1), 1, kMaxGarbageBytes, "--garbage size"));
        }
    }
}

// "SEED[:N]": N of every 1000 packets disturbed at random (default 100), the dice seeded from SEED.
void ReadRandomSwitch(const ParsedArgs& parsed, SimFaults& faults) {
    if (const auto value = parsed.Value("random")) {
        const auto colon = value->find(':');
        RandomFaults random;
        random.seed = static_cast<unsigned>(
            ParseNumber(value->substr(0, colon), 0, 4'294'967'295, "--random"));
        if (colon != std::string::npos) {
            random.perMillion = 1000 * static_cast<unsigned>(ParseNumber(
                                           value->substr(colon + 1), 0, 1000, "--random share"));
        }
        faults.random = random;
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
    ReadGarbageSwitch(parsed, faults);
    ReadRandomSwitch(parsed, faults);
    return faults;
}

void RefuseOptions(const ParsedArgs& parsed, const std::vector<std::string>& names,
                   const std::string& why) {
    for (const std::string& name : names) {
        if (parsed.Has(name)) {
            throw UsageError("--" + name + " " + why);
        }
    }
}

std::optional<SimSerialOptions> ReadSerial(const ParsedArgs& parsed) {
    if (!parsed.Has("serial") && !parsed.Has("serial-device")) {
        RefuseOptions(parsed, kSerialOnly, "belongs to the serial line (--serial)");
        return std::nullopt;
    }
    RefuseOptions(parsed, kNetworkOnly, "has no meaning on the serial line");
    SimSerialOptions serial;
    serial.device = parsed.Value("serial-device").value_or("");
    if (const auto gap = parsed.Value("gap")) {
        serial.gapMs = static_cast<unsigned>(ParseNumber(*gap, 1, 1000, "--gap"));
    }
    if (const auto pause = parsed.Value("pause")) {
        serial.pauseMs = static_cast<unsigned>(ParseNumber(*pause, 1, 10'000, "--pause"));
    }
    serial.paced = parsed.Has("baud-pace");
    serial.wakeRequired = parsed.Has("wake-required");
    return serial;
}

// "K:SWITCH" or "K:SWITCH=VALUE": the switch as an option of the command line, for device K.
std::pair<unsigned, std::string> DeviceFault(const std::string& text, unsigned devices) {
    const auto colon = text.find(':');
    const unsigned device = static_cast<unsigned>(
        ParseNumber(text.substr(0, colon), 1, devices, "the device of --device-fault"));
    const std::string option = "--" + (colon == std::string::npos ? "" : text.substr(colon + 1));
    const std::size_t equals = option.find('=');
    const std::string name = option.substr(2, equals - 2);
    const auto known = std::find_if(kOptions.begin(), kOptions.end(),
                                    [&](const OptionDef& def) { return def.name == name; });
    if (std::find(kFaultSwitches.begin(), kFaultSwitches.end(), name) == kFaultSwitches.end() ||
        known->takesValue != (equals != std::string::npos)) {
        throw UsageError("--device-fault " + text +
                         ": K:SWITCH or K:SWITCH=VALUE expected, "
                         "with a fault switch such as silent-after=0 or error=2");
    }
    return {device, option};
}

// Each device that --device-fault names has the common faults and its own: the command line as
// if its switches were given as well.
std::map<unsigned, SimFaults> ReadDeviceFaults(const std::vector<std::string>& args,
                                               const ParsedArgs& parsed, unsigned devices) {
    std::map<unsigned, std::vector<std::string>> switches;
    for (const std::string& value : parsed.Values("device-fault")) {
        const auto [device, option] = DeviceFault(value, devices);
        switches[device].push_back(option);
    }
    std::map<unsigned, SimFaults> faults;
    for (const auto& [device, own] : switches) {
        std::vector<std::string> all = args;
        all.insert(all.end(), own.begin(), own.end());
        faults[device] = ReadFaults(ScanArguments(all, kOptions));
    }
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
    options.serial = ReadSerial(parsed);
    if (options.serial && options.faults.random) {
        options.faults.random->kinds.erase(RandomFault::Stray); // a line has no second port
    }
    options.devices = static_cast<unsigned>(
        ParseNumber(parsed.Value("devices").value_or("1"), 1, kMaxDevices, "--devices"));
    options.deviceFaults = ReadDeviceFaults(args, parsed, options.devices);
    if (const auto latency = parsed.Value("latency")) {
        options.latencyMs =
            static_cast<unsigned>(ParseNumber(*latency, 0, kMaxLatencyMs, "--latency"));
    }
    if (const auto seed = parsed.Value("zel-seed")) {
        options.zelSeed = static_cast<unsigned>(ParseNumber(*seed, 0, 4'294'967'295, "--zel-seed"));
    }
    return result;
}

const char* SimUsageText() {
    return R"(Usage: quorvel-sim [OPTIONS] [FOLDER]

Plays the radio-modem device: a TFTP server for the files of FOLDER (default: the current
folder), on the network or on a serial line. Uploads replace files in FOLDER once they are
complete. Names with a folder, a drive or ".." are refused. The device's event logger
"plog.zel" is generated in memory while FOLDER holds none. Each request and its result is
logged on stdout; the first line tells where the simulator listens: "listening on
ADDRESS:PORT", or "serial line DEVICE" with the device the client opens.

Options:
  --bind ADDRESS       IPv4 address to listen on (default 127.0.0.1)
  --port N             request port (default 69; 0 picks a free port)
  --timeout MS         wait this long for the client before sending again (default 1000)
  --retries N          send again this often before giving a transfer up (default 5)
  --verbose            log every packet, not only requests, results and faults
  --zel-seed N         generate the served plog.zel from seed N (default 1968)
  -h, --help           show this text

A network of devices (one process; the network only):
  --devices N          N devices on the consecutive request ports from --port (with
                       --port 0 from a free one); device K serves FOLDER/device-K,
                       made when missing, and a plog.zel of seed zel-seed + K - 1
  --device-fault K:SWITCH[=VALUE]
                       give device K a fault switch of its own, on top of the common
                       ones (may be given several times): 3:silent-after=0, 5:error=2
  --latency MS         every packet sent reaches the client MS later, as over a
                       radio network (default 0)

Serial line (one transfer at a time; a packet ends when the line falls silent):
  --serial             create a pseudo-terminal and serve on it; the client opens the
                       device printed first, e.g. with QUORVEL_COM5=/dev/pts/7
  --serial-device DEV  serve on the serial port DEV instead (115200 baud, 8N1)
  --gap MS             silence that ends a packet from the client (default 5)
  --pause MS           silence between two packets sent in a row (default 50)
  --baud-pace          move bytes no faster than 115200 baud (11520 bytes/s)
  --wake-required      ignore requests until the transfer-mode wake-up ("&" three
                       times) has come; it is always answered "transfer mode on"

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
  --stray N            after packet N, send a copy of it from another port (network)
  --skip-block N       in a read, number the block after N-1 as N+1 (no data lost)
  --garbage X[:N]      send N bytes of noise (default 16) as a packet of their own
                       before packet X; noise never starts like a TFTP packet
  --random SEED[:N]    disturb N of every 1000 packets (default 100) at random: drop,
                       duplicate, reorder, delay (up to 300 ms), noise, stray (network);
                       transfer n draws from SEED+n-1, named in its first log line

Examples:
  quorvel-sim --port 6969 --drop 3 ./device-files
  quorvel-sim --serial --baud-pace ./device-files
  quorvel-sim --port 6969 --devices 64 --latency 20 --device-fault 7:silent-after=0 ./net
)";
}
