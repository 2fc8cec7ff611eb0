#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/TransferSettings.h"

#include <algorithm>
#include <ostream>

namespace {

constexpr int kUsageStatus = 2;

const std::vector<CommandDef>& Commands() {
    static const std::vector<CommandDef> commands = {
        {"get", "get REMOTE [LOCAL] (--host H | --com N) [OPTIONS]", 1, 2, TransferOptionDefs(),
         GetCommand},
        {"put", "put LOCAL [REMOTE] (--host H | --com N) [OPTIONS]", 1, 2, TransferOptionDefs(),
         PutCommand},
        {"convert", "convert ZEL [CSV] [--include-empty] [--yes] [--settings FILE]", 1, 2,
         ConvertOptionDefs(), ConvertCommand},
        {"firmware", "firmware IMAGE (--host H | --com N) [OPTIONS]", 1, 1, FirmwareOptionDefs(),
         FirmwareCommand},
        {"logger", "logger CSV (--host H | --com N) [OPTIONS]", 1, 1, LoggerOptionDefs(),
         LoggerCommand},
        {"wake", "wake --com N [--timeout S] [--settings FILE]", 0, 0, WakeOptionDefs(),
         WakeCommand},
    };
    return commands;
}

const CommandDef* FindCommand(const std::string& name) {
    for (const CommandDef& command : Commands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

// The options of every command, so that --help and a command name can be found first.
std::vector<OptionDef> AllOptions() {
    std::vector<OptionDef> all = {{"help", false, 'h'}};
    for (const CommandDef& command : Commands()) {
        for (const OptionDef& option : command.options) {
            if (std::none_of(all.begin(), all.end(),
                             [&](const OptionDef& known) { return known.name == option.name; })) {
                all.push_back(option);
            }
        }
    }
    return all;
}

int RunCommand(const std::vector<std::string>& args, CliIo& io) {
    const ParsedArgs parsed = ScanArguments(args, AllOptions());
    if (parsed.Has("help")) {
        io.out << CliUsageText();
        return 0;
    }
    if (parsed.positionals.empty()) {
        throw UsageError("no command given");
    }
    const CommandDef* command = FindCommand(parsed.positionals[0]);
    if (command == nullptr) {
        throw UsageError("unknown command \"" + parsed.positionals[0] + "\"");
    }
    // Each command accepts only its own options.
    const ParsedArgs own = ScanArguments(args, command->options);
    const std::vector<std::string> arguments(own.positionals.begin() + 1, own.positionals.end());
    if (arguments.size() < command->minArguments || arguments.size() > command->maxArguments) {
        throw UsageError("usage: quorvel-cli " + command->synopsis);
    }
    return command->run(arguments, own, io);
}

} // namespace

int RunCli(const std::vector<std::string>& args, CliIo& io) {
    try {
        return RunCommand(args, io);
    } catch (const UsageError& error) {
        io.err << "quorvel-cli: " << error.what() << "\nTry \"quorvel-cli --help\".\n";
        return kUsageStatus;
    }
}

const char* CliUsageText() {
    return R"(Usage: quorvel-cli get REMOTE [LOCAL] (--host H | --com N) [OPTIONS]
       quorvel-cli put LOCAL [REMOTE] (--host H | --com N) [OPTIONS]
       quorvel-cli convert ZEL [CSV] [--include-empty] [--yes] [--settings FILE]
       quorvel-cli firmware IMAGE (--host H | --com N) [OPTIONS]
       quorvel-cli logger CSV (--host H | --com N) [OPTIONS]
       quorvel-cli wake --com N [--timeout S] [--settings FILE]
       quorvel-cli (firmware IMAGE | put LOCAL [REMOTE] | get REMOTE FOLDER | logger FOLDER)
                   (--hosts FILE | --com N,N,...) [--jobs N] [--report FILE] [OPTIONS]

Exchanges files with the radio-modem device over TFTP, on the network or on the serial
line, as Quorvel's "Get file" and "Put file" do, and converts its event logger into CSV
as "only convert" does. firmware, logger and wake run the window's own "Firmware update",
"Read zel logger" and "Set transfer mode", with the window's checks and texts.

Commands:
  get REMOTE [LOCAL]  fetch the device's file REMOTE into LOCAL (default: REMOTE's
                      name in the current folder; a folder as LOCAL receives it
                      under that name). An existing file is replaced only with --yes
                      or after a "y" at the question; a failed get leaves no file.
  put LOCAL [REMOTE]  send the file LOCAL to the device as REMOTE (default: LOCAL's
                      file name)
  convert ZEL [CSV]   convert the logger file ZEL (e.g. plog.zel) into the CSV file
                      CSV (default: ZEL with the extension .CSV); the tables
                      "zel-codes" and "zel-select" come from the window's settings
                      file quorvel.INI. An existing CSV is replaced as with get.
  firmware IMAGE      send a firmware image to the device, which then installs it: a
                      .pfo alone, a .pfw followed by its companion .pch (same name,
                      beside it). Every file is checked before anything is
                      sent; once the .pfw's last block is out, Ctrl+C no longer
                      cancels.
  logger CSV          fetch the device's event logger plog.zel (into CSV.tmp, removed
                      afterwards) and convert it into CSV with the tables as convert
                      takes them. An existing CSV is replaced as with get; a failed
                      download leaves no file.
  wake                send "&" three times on the serial line to switch the device
                      into its file-transfer mode; prints the device's answer, or
                      "Start of Transfer mode failed!" when none came in --timeout S.

Connection (get, put, firmware, logger; exactly one of --host and --com):
  --host H      the device's host name or IPv4 address
  --port P      the device's TFTP port (default 69)
  --com N       the serial line COM N, 1 to 255 (on Linux /dev/ttyS<N-1>, or the
                device that the environment variable QUORVEL_COM<N> names, or else
                the line COM<N>=DEVICE in the settings file's section [ComPorts])
  --gap MS      silence on the serial line that ends a packet, 1 to 1000 (default 10)
  --timeout S   seconds to wait for each reply, 1 to 16 (default 4)
  --blksize N   block size to ask the device for, 8 to 65464 (default 512; get and
                put only: firmware and logger ask for 512 as the window does)

Many devices at once (firmware, put, get, logger), each served by the same action as
one device:
  --hosts FILE  the devices, one a line: HOST[:PORT] [NAME] ("#" starts a comment,
                "-" reads the list from standard input); --port P serves the lines
                without a port. NAME is the rest of the line, else HOST[:PORT].
  --com N,N,... several serial lines, each one device named COMN
  --jobs N      devices served at the same time, 1 to 64 (default 8)
  --report FILE a ";"-separated CSV, one row per device in the list's order:
                device;host;port;result;message;bytes;seconds, with the result
                ok, failed, canceled or not started; written whole at the end,
                also after Ctrl+C
  --only-failed REPORT  serve only the devices not "ok" in an earlier report;
                the others keep their rows in the new one
  --json        one JSON object per device on stdout as it ends, instead of the
                lines "NAME: ok" and "NAME: failed: ..."
  get REMOTE FOLDER receives into FOLDER/NAME/REMOTE, logger FOLDER converts into
  FOLDER/NAME.CSV, NAME made safe as a file name. An existing file is replaced
  only with --yes: without it, that device fails and gets nothing. A firmware
  image is checked once, before the first device. Ctrl+C cancels every running
  transfer (an upload past its last block runs to its end) and starts no further
  device. Exit status: 0 when every device is ok, 1 otherwise, 2 wrong usage.

Other options (before or after the arguments):
  --yes             replace an existing local file without asking (get, convert, logger)
  --quiet           no progress line (get, put, firmware, logger)
  --include-empty   write a line for every slot of the logger, empty ones too (convert)
  --settings FILE   take the tables and [ComPorts] from FILE instead of quorvel.INI,
                    which lies beside the program, or for an installed Quorvel in
                    $XDG_CONFIG_HOME/quorvel/ (default ~/.config/quorvel/)
  -h, --help        show this text

Ctrl+C (or a hang-up or termination signal) cancels a transfer within about a
second, except an upload whose last block is out: that one runs to its end.
Exit status: 0 done, 1 failed or refused, 2 wrong usage.

Examples:
  quorvel-cli get plog.zel --host 127.0.0.1 --port 6969
  QUORVEL_COM5=/dev/pts/7 quorvel-cli put firmware.pfo --com 5
  quorvel-cli convert plog.zel --yes
  quorvel-cli wake --com 3 && quorvel-cli firmware R7.pfw --com 3
  quorvel-cli logger report.csv --host 127.0.0.1 --port 6969
  quorvel-cli firmware R7.pfw --hosts north.txt --jobs 16 --report north.csv
  quorvel-cli firmware R7.pfw --hosts north.txt --only-failed north.csv --report north.csv
)";
}
