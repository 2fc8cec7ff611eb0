#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/TransferSettings.h"

#include <algorithm>
#include <ostream>

namespace {

constexpr int kUsageStatus = 2;

const std::vector<CommandDef>& Commands() {
    static const std::vector<CommandDef> commands = {
        {"get", "get REMOTE [LOCAL]", "fetch the device's file REMOTE", 1, 2, TransferOptionDefs(),
         RunGet},
        {"put", "put LOCAL [REMOTE]", "send LOCAL to the device", 1, 2, TransferOptionDefs(),
         RunPut},
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
        throw UsageError("usage: quorvel-cli " + command->synopsis + " --host H [OPTIONS]");
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
    return R"(Usage: quorvel-cli COMMAND ARGUMENTS --host H [OPTIONS]

Exchanges files with the radio-modem device over TFTP, as Quorvel's "Get file" and
"Put file" do.

Commands:
  get REMOTE [LOCAL]  fetch the device's file REMOTE into LOCAL (default: REMOTE's
                      name in the current folder; a folder as LOCAL receives it
                      under that name). An existing file is replaced only with --yes
                      or after a "y" at the question; a failed get leaves no file.
  put LOCAL [REMOTE]  send the file LOCAL to the device as REMOTE (default: LOCAL's
                      file name)

Options (before or after the arguments):
  --host H      the device's host name or IPv4 address (required)
  --port P      the device's TFTP port (default 69)
  --timeout S   seconds to wait for each reply, 1 to 16 (default 4)
  --blksize N   block size to ask the device for, 8 to 65464 (default 512)
  --yes         replace an existing local file without asking (get)
  --quiet       no progress line
  -h, --help    show this text

Ctrl+C cancels a transfer within about a second.
Exit status: 0 done, 1 transfer failed or refused, 2 wrong usage.

Example:
  quorvel-cli get plog.zel --host 127.0.0.1 --port 6969
)";
}
