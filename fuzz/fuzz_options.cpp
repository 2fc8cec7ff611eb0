// libFuzzer target over the command-line options: the window's parameters "-ex", "-p:", "-t:" and
// "-f:" with their number conversion, quorvel-cli's argument scanner with its connection
// options, and the list of devices of --hosts (the parts as its lines) with the report made
// for them. The input is the argument list, cut at the separator.
//
// Besides "no crash, no sanitizer report": the window ends up exactly as its four rules say,
// with every control value in range; a number is accepted only in a form the conversion allows
// and reads back as itself; the scanner keeps the plain arguments in order, reads its own result
// back to the same options, and fails only with a usage error; accepted connection settings
// name one device and stay within their ranges; an accepted list of devices names each device
// and each file name once, with file names safe on every system, and its report reads back to
// the same rows.
#include "app/CommandLine.h"
#include "app/Main.h"
#include "cli/FleetList.h"
#include "cli/FleetReport.h"
#include "cli/TransferSettings.h"
#include "fuzz/FuzzInput.h"
#include "support/PathText.h"
#include "tests/kit/FakeToolkit.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace {

// Two fallbacks tell a refused text from one that converts to a fallback's value.
void CheckConvertInteger(std::string_view text) {
    const std::int32_t value = ConvertInteger(text, 0);
    if (value != ConvertInteger(text, 1)) {
        Check(value == 0, "a refused text gives the fallback");
        return;
    }
    Check(ConvertInteger(std::to_string(value), 7) == value, "a value reads back as itself");
    const std::string_view digits =
        text.substr(std::min(text.find_last_of("$xX+- \t") + 1, text.size()));
    Check(!digits.empty() &&
              std::all_of(digits.begin(), digits.end(),
                          [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }),
          "an accepted text ends in digits");
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// The window after its start-up with these parameters, against its four rules.
void CheckWindowOptions(const std::vector<std::string>& arguments) {
    FakeToolkit ui;
    TForm1 form(ui, PathText(FuzzFolder() / "quorvel"));
    std::vector<std::string> params{"quorvel"};
    params.insert(params.end(), arguments.begin(), arguments.end());
    form.FormCreate(params);

    bool reraise = false;
    std::int32_t port = 69;
    std::string label;
    int timeout = 4;
    std::int32_t gap = 10;
    for (std::size_t i = 1; i < params.size() && i <= kExaminedParameters; ++i) {
        const std::string& param = params[i];
        const std::size_t colon = param.find(':');
        const std::string_view value =
            colon == std::string::npos ? "" : std::string_view(param).substr(colon + 1, 99);
        reraise = reraise || Contains(param, "-ex");
        if (colon == std::string::npos) {
            continue;
        }
        if (Contains(param, "-p")) {
            port = ConvertInteger(value, port);
            label = "(target port=" + std::to_string(port) + ")";
        }
        if (Contains(param, "-t")) {
            timeout = std::clamp(ConvertInteger(value, timeout), kTimeoutMin, kTimeoutMax);
        }
        if (Contains(param, "-f")) {
            gap = std::max(1, ConvertInteger(value, gap));
        }
    }
    Check(form.ReraiseErrors == reraise && form.TargetPort == port && form.SerialGap == gap,
          "the window's fields follow the options");
    Check(ui[Control::LblPort].text == label && ui[Control::seTO].value == timeout,
          "the port label and the time-out follow the options");
}

const std::vector<OptionDef>& KnownOptions() {
    static const std::vector<OptionDef> known = [] {
        std::vector<OptionDef> all = TransferOptionDefs();
        all.push_back({"help", false, 'h'});
        return all;
    }();
    return known;
}

// The options and plain arguments of a scan, written as the scanner reads them most plainly.
std::vector<std::string> Canonical(const ParsedArgs& parsed) {
    std::vector<std::string> args;
    for (const OptionDef& option : KnownOptions()) {
        for (const std::string& value : parsed.Values(option.name)) {
            args.push_back("--" + option.name + (option.takesValue ? "=" + value : ""));
        }
    }
    args.push_back("--");
    args.insert(args.end(), parsed.positionals.begin(), parsed.positionals.end());
    return args;
}

void CheckConnection(const ParsedArgs& parsed) {
    if (parsed.Has("settings")) {
        return; // names a file to read: not for arbitrary input
    }
    TransferSettings settings;
    try {
        settings = ReadTransferSettings(parsed);
    } catch (const UsageError&) {
        return;
    }
    Check((settings.comPort > 0) == settings.host.empty(), "exactly one device is named");
    Check(settings.comPort <= 255 && settings.gapMs >= 1 && settings.gapMs <= 1000 &&
              settings.port >= 1 && settings.timeoutSeconds >= 1 && settings.timeoutSeconds <= 16 &&
              settings.blockSize >= TFTP_MIN_BLOCK_SIZE &&
              settings.blockSize <= TFTP_MAX_BLOCK_SIZE,
          "connection settings stay within their ranges");
    if (const auto port = parsed.Value("port")) {
        Check(std::stoul(*port) == settings.port, "the port is the one given");
    }
}

void CheckCliArguments(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    try {
        parsed = ScanArguments(args, KnownOptions());
    } catch (const UsageError&) {
        return;
    }
    auto next = args.begin();
    for (const std::string& positional : parsed.positionals) {
        next = std::find(next, args.end(), positional);
        Check(next != args.end(), "plain arguments keep their order");
        ++next;
    }
    const ParsedArgs again = ScanArguments(Canonical(parsed), KnownOptions());
    Check(again.positionals == parsed.positionals, "a scan reads back to the same arguments");
    for (const OptionDef& option : KnownOptions()) {
        Check(again.Values(option.name) == parsed.Values(option.name),
              "a scan reads back to the same options");
    }
    CheckConnection(parsed);
}

bool IsSafeFileName(const std::string& name) {
    return !name.empty() && name.back() != '.' && name.back() != ' ' &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 ||
                      std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
           });
}

std::string FoldedAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The report of the devices, with the parts as their messages, read back.
void CheckReport(const std::vector<FleetDevice>& devices, const std::vector<std::string>& parts) {
    std::vector<FleetOutcome> outcomes(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        outcomes[i].result = static_cast<FleetResult>(i % 4);
        outcomes[i].message = parts[i % parts.size()];
        outcomes[i].bytes = static_cast<std::int64_t>(parts[i % parts.size()].size());
    }
    const std::filesystem::path path = FuzzFolder() / "report.csv";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << ReportText(devices, outcomes);
    const std::map<std::string, FleetOutcome> rows = ReadReport(PathText(path));
    Check(rows.size() == devices.size(), "the report has one row per device");
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto row = rows.find(devices[i].name);
        Check(row != rows.end() && row->second.result == outcomes[i].result &&
                  row->second.message == OneLine(outcomes[i].message) &&
                  row->second.bytes == outcomes[i].bytes,
              "each device's row reads back as written");
        Check(OneLine(outcomes[i].message).find_first_of("\r\n") == std::string::npos,
              "a message in the report is one line");
    }
}

// The parts as the lines of a list of devices.
void CheckDeviceList(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += part + "\n";
    }
    std::istringstream list(text);
    std::vector<FleetDevice> devices;
    try {
        devices = ReadDeviceList(list, "list", 69);
    } catch (const UsageError&) {
        return;
    }
    std::set<std::string> addresses;
    std::set<std::string> files;
    for (const FleetDevice& device : devices) {
        Check(!device.host.empty() && device.port >= 1 && device.line >= 1 &&
                  device.line <=
                      static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
              "every device has a host, a port and its line");
        Check(IsSafeFileName(device.fileName), "file names are safe on every system");
        Check(
            addresses.insert(FoldedAscii(device.host) + ":" + std::to_string(device.port)).second &&
                files.insert(FoldedAscii(device.fileName)).second,
            "no device and no file name twice");
    }
    CheckReport(devices, parts);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = SplitParts({reinterpret_cast<const char*>(data), size});
    for (const std::string& arg : args) {
        CheckConvertInteger(arg);
    }
    CheckWindowOptions(args);
    CheckCliArguments(args);
    CheckDeviceList(args);
    return 0;
}
