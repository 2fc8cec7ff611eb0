// The connection options every transfer command shares (--host or --com, --port, --gap,
// --timeout, --blksize, --yes, --quiet), read and checked once.
#pragma once

#include "support/ArgumentScan.h"

#include <cstdint>
#include <string>
#include <vector>

class TIdTrivialFTP;

struct TransferSettings {
    // The network: the device's host and TFTP port.
    std::string host;
    std::uint16_t port = 69;
    // The serial line: COM<comPort> (0: the network is used) and the silence in ms that ends a
    // received packet.
    int comPort = 0;
    int gapMs = 10;
    int timeoutSeconds = 4;
    int blockSize = 512;
    bool yes = false;
    bool quiet = false;
};

const std::vector<OptionDef>& TransferOptionDefs();
// The options of a command that talks to devices: where the device is (--host, --port, --com,
// --gap, --timeout), then the command's own, then those of a run over many devices (--hosts,
// --jobs, --report, --only-failed, --json).
std::vector<OptionDef> DeviceCommandOptions(std::vector<OptionDef> own);

// Exactly one of --host and --com must name the device: there is no default, so that nothing is
// ever sent to an address or a port nobody chose. With --com the COM table of the settings file
// (--settings FILE, else the window's quorvel.INI) is loaded.
TransferSettings ReadTransferSettings(const ParsedArgs& args);

// The parts, for a run over many devices that names the devices itself. ReadComNumber: one COM
// number of --com. ReadSerialOptions: --gap and the COM table; --port is refused.
// ReadNetworkOptions: --port; --gap is refused. ReadCommonOptions: --timeout, --blksize, --yes,
// --quiet.
int ReadComNumber(const std::string& text);
void ReadSerialOptions(const ParsedArgs& args, TransferSettings& settings);
void ReadNetworkOptions(const ParsedArgs& args, TransferSettings& settings);
void ReadCommonOptions(const ParsedArgs& args, TransferSettings& settings);

// Hands the device and the reply time-out over to the client that runs a transfer.
void ApplyConnection(const TransferSettings& settings, TIdTrivialFTP& client);
