// The commands of quorvel-cli, each one of the window's actions run on the console and named
// after its command ("get" is GetCommand). Each takes the scanned command line (its plain
// arguments after the command name) and returns the exit status: 0 done, 1 failed or refused;
// usage mistakes leave as UsageError.
#pragma once

#include "cli/CliIo.h"
#include "support/ArgumentScan.h"

#include <string>
#include <vector>

struct CommandDef {
    std::string name;
    std::string synopsis; // "get REMOTE [LOCAL] (--host H | --com N) [OPTIONS]"
    std::size_t minArguments;
    std::size_t maxArguments;
    const std::vector<OptionDef>& options;
    int (*run)(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
};

int GetCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
int PutCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
int ConvertCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
int FirmwareCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
int LoggerCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);
int WakeCommand(const std::vector<std::string>& arguments, const ParsedArgs& args, CliIo& io);

const std::vector<OptionDef>& ConvertOptionDefs();
const std::vector<OptionDef>& FirmwareOptionDefs();
const std::vector<OptionDef>& LoggerOptionDefs();
const std::vector<OptionDef>& WakeOptionDefs();

// The settings file that holds the logger tables and the COM table: --settings FILE (which must
// exist), else the window's quorvel.INI in the settings folder: beside the program, or the
// user's configuration folder for an installed Quorvel.
std::string TablesSettingsFile(const ParsedArgs& args);

// The device's name for the file put sends: REMOTE, or else LOCAL's file name.
std::string PutRemoteName(const std::vector<std::string>& arguments);

// The file-name part of a path as the device knows files: what follows the last "/", "\" or
// ":". Empty when there is none, or when it is "." or "..".
std::string DeviceNamePart(const std::string& path);
