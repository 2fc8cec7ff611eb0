#include "cli/FleetCommand.h"

#include "app/actions/ActionFiles.h"
#include "app/actions/ActionSteps.h"
#include "app/actions/Actions.h"
#include "app/actions/MessageText.h"
#include "cli/Commands.h"
#include "cli/FleetRun.h"
#include "logger/ReplaceFileContent.h"
#include "support/FileNames.h"
#include "support/PathText.h"
#include "support/ScratchFile.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr unsigned long kMaxJobs = 64;

const std::array<const char*, 4> kFleetOnlyOptions = {"jobs", "report", "only-failed", "json"};

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

// The devices of --hosts or --com, and the options of their kind of connection.
std::vector<FleetDevice> ReadDevices(const ParsedArgs& args, CliIo& io,
                                     TransferSettings& connection) {
    const auto hosts = args.Value("hosts");
    const auto com = args.Value("com");
    if (args.Has("host")) {
        throw UsageError(hosts ? "--hosts replaces --host: the list names every device"
                               : "--jobs, --report, --only-failed and --json serve the devices "
                                 "of --hosts FILE or --com LIST");
    }
    if (hosts && com) {
        throw UsageError("--hosts and --com exclude each other: choose the network or the "
                         "serial line");
    }
    if (com) {
        ReadSerialOptions(args, connection);
        return ComDeviceList(*com);
    }
    if (!hosts) {
        throw UsageError("name the devices: --hosts FILE (one device a line, \"-\" for standard "
                         "input) or --com LIST (such as 3,5,7)");
    }
    ReadNetworkOptions(args, connection);
    if (*hosts == "-") {
        return ReadDeviceList(io.in, "standard input", connection.port);
    }
    std::ifstream list(FilePath(*hosts));
    if (!list) {
        throw UsageError("cannot read the list of devices \"" + *hosts + "\"");
    }
    return ReadDeviceList(list, *hosts, connection.port);
}

// Refused before anything is sent: a report that could not be written at the end would lose
// the outcome of every device, and one written over the list or a file to send would lose that.
void CheckReportPath(const std::string& path, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        std::error_code ignored;
        if (fs::equivalent(FilePath(path), FilePath(input), ignored)) {
            throw UsageError("the report \"" + path + "\" would replace \"" + input + "\"");
        }
    }
    int error = CheckWritableTarget(path);
    if (error == 0) {
        const ScratchFile probe(path, ".part");
        error = probe.InPlaceOnly() ? 0 : probe.Error();
    }
    if (error != 0) {
        throw UsageError("the report \"" + path + "\" cannot be written: " + ErrorText(error));
    }
}

void RequireFolder(const std::string& folder) {
    std::error_code ignored;
    if (!fs::is_directory(FilePath(folder), ignored)) {
        throw UsageError("\"" + folder + "\" is no folder: the files of every device go into it");
    }
}

// The file of a device in folder: its file name with extension.
std::string DevicePath(const std::string& folder, const FleetDevice& device,
                       const std::string& extension = {}) {
    return PathText(FilePath(folder) / FilePath(device.fileName + extension));
}

bool GetInto(FleetDeviceHost& host, const std::string& remote, const std::string& folder,
             const std::string& name) {
    std::error_code error;
    fs::create_directory(FilePath(folder), error);
    if (error) {
        ReportFailure(host, Action::Get, kGetFailed,
                      "Cannot create folder " + Quoted(folder) + ": " + error.message());
        return false;
    }
    return GetFile(host, remote, PathText(FilePath(folder) / FilePath(name)));
}

// The action for each device; checks of the arguments are usage errors before anything is sent.
DeviceAction ActionOf(FleetCommand command, const std::vector<std::string>& arguments,
                      std::optional<FirmwareFiles>& firmware) {
    switch (command) {
    case FleetCommand::Get: {
        const std::string remote = arguments[0];
        const std::string name = DeviceNamePart(remote);
        if (arguments.size() != 2 || name.empty()) {
            throw UsageError("usage: quorvel-cli get REMOTE FOLDER --hosts FILE [OPTIONS]: "
                             "each device's file goes to FOLDER/NAME/REMOTE");
        }
        const std::string folder = arguments[1];
        RequireFolder(folder);
        return [remote, folder, name](const FleetDevice& device, FleetDeviceHost& host) {
            return GetInto(host, remote, DevicePath(folder, device), name);
        };
    }
    case FleetCommand::Put: {
        const std::string local = arguments[0];
        const std::string remote = PutRemoteName(arguments);
        return [local, remote](const FleetDevice&, FleetDeviceHost& host) {
            return PutFile(host, local, remote);
        };
    }
    case FleetCommand::Firmware:
        if (arguments[0].empty()) {
            throw UsageError("name the firmware image (.pfw or .pfo)");
        }
        return [&firmware](const FleetDevice&, FleetDeviceHost& host) {
            return SendFirmwareFiles(host, *firmware);
        };
    case FleetCommand::Logger:
        break;
    }
    const std::string folder = arguments[0];
    RequireFolder(folder);
    return [folder](const FleetDevice& device, FleetDeviceHost& host) {
        host.OfferFile(DevicePath(folder, device, ".CSV"));
        return RunReadLogger(host);
    };
}

// --only-failed: the devices whose row in the earlier report is "ok" keep that row and are not
// served again; every other device is, also one the report does not name. Returns how many keep
// theirs.
std::size_t CarryOver(const std::string& path, FleetPlan& plan) {
    const std::map<std::string, FleetOutcome> rows = ReadReport(path);
    std::size_t carried = 0;
    for (std::size_t i = 0; i < plan.devices.size(); ++i) {
        const auto row = rows.find(plan.devices[i].name);
        if (row != rows.end() && row->second.result == FleetResult::Ok) {
            plan.outcomes[i] = row->second;
            plan.serve[i] = false;
            ++carried;
        }
    }
    return carried;
}

// "64 devices: 61 ok, 2 failed, 1 canceled, 0 not started".
std::string Summary(const std::vector<FleetOutcome>& outcomes) {
    std::array<std::size_t, 4> counts{};
    for (const FleetOutcome& outcome : outcomes) {
        ++counts[static_cast<std::size_t>(outcome.result)];
    }
    std::string text = std::to_string(outcomes.size()) + " devices:";
    for (const FleetResult result :
         {FleetResult::Ok, FleetResult::Failed, FleetResult::Canceled, FleetResult::NotStarted}) {
        text += std::string(result == FleetResult::Ok ? " " : ", ") +
                std::to_string(counts[static_cast<std::size_t>(result)]) + " " + ResultText(result);
    }
    return text;
}

// Writes the report, shows the summary; the exit status.
int Conclude(const FleetPlan& plan, const std::optional<std::string>& reportPath,
             FleetDisplay& display) {
    bool allOk = std::all_of(plan.outcomes.begin(), plan.outcomes.end(),
                             [](const auto& outcome) { return outcome.result == FleetResult::Ok; });
    std::string summary = Summary(plan.outcomes);
    if (reportPath) {
        if (const int error =
                ReplaceFileContent(*reportPath, ReportText(plan.devices, plan.outcomes))) {
            display.Note("quorvel-cli: cannot write the report \"" + *reportPath +
                         "\": " + ErrorText(error));
            allOk = false;
        } else {
            summary += "; report in \"" + *reportPath + "\"";
        }
    }
    if (allOk) {
        display.Info(summary);
    } else {
        display.Note(summary);
    }
    return allOk ? 0 : 1;
}

} // namespace

bool IsFleetRun(const ParsedArgs& args) {
    const auto com = args.Value("com");
    return args.Has("hosts") || (com && com->find(',') != std::string::npos) ||
           std::any_of(kFleetOnlyOptions.begin(), kFleetOnlyOptions.end(),
                       [&](const char* option) { return args.Has(option); });
}

int RunFleet(FleetCommand command, const std::vector<std::string>& arguments,
             const ParsedArgs& args, CliIo& io) {
    FleetPlan plan;
    ReadCommonOptions(args, plan.connection);
    plan.devices = ReadDevices(args, io, plan.connection);
    plan.outcomes.resize(plan.devices.size());
    plan.serve.assign(plan.devices.size(), true);
    plan.settingsFile = TablesSettingsFile(args);
    if (const auto jobs = args.Value("jobs")) {
        plan.jobs = static_cast<unsigned>(ParseNumber(*jobs, 1, kMaxJobs, "--jobs"));
    }
    std::optional<FirmwareFiles> firmware;
    const DeviceAction action = ActionOf(command, arguments, firmware);
    const std::optional<std::string> reportPath = args.Value("report");
    if (reportPath) {
        std::vector<std::string> inputs = {args.Value("hosts").value_or("")};
        if (command == FleetCommand::Firmware || command == FleetCommand::Put) {
            inputs.push_back(arguments[0]);
            inputs.push_back(FileIgnoringCase(WithoutExtension(arguments[0]) + ".pch"));
        }
        CheckReportPath(*reportPath, inputs);
    }
    const auto earlier = args.Value("only-failed");
    const std::size_t carried = earlier ? CarryOver(*earlier, plan) : 0;
    FleetDisplay display(io, plan.devices.size() - carried, !plan.connection.quiet,
                         args.Has("json"));
    if (earlier) {
        display.Info(std::to_string(carried) + " of " + std::to_string(plan.devices.size()) +
                     " devices are ok in \"" + *earlier + "\" and are not served again");
    }
    if (command == FleetCommand::Firmware) {
        // Checked once, before the first device, and held against writers until the last has
        // its copy.
        FleetDeviceHost check(plan.connection, plan.settingsFile, *io.clock);
        firmware = CheckFirmwareFiles(check, arguments[0]);
        if (!firmware) {
            display.Note(WithLineBreaks(check.Message()));
            for (std::size_t i = 0; i < plan.devices.size(); ++i) {
                if (plan.serve[i]) {
                    plan.outcomes[i].message = check.Message();
                }
            }
            return Conclude(plan, reportPath, display);
        }
    }
    ServeDevices(plan, action, display, *io.clock);
    return Conclude(plan, reportPath, display);
}
