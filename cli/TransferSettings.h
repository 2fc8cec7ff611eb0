// The connection options every transfer command shares (--host, --port, --timeout, --blksize,
// --yes, --quiet), read and checked once.
#pragma once

#include "cli/CommandLine.h"

#include <cstdint>
#include <string>
#include <vector>

struct TransferSettings {
    std::string host;
    std::uint16_t port = 69;
    int timeoutSeconds = 4;
    int blockSize = 512;
    bool yes = false;
    bool quiet = false;
};

const std::vector<OptionDef>& TransferOptionDefs();

// There is no default host: a transfer must name its device, so that nothing is ever sent to
// an address nobody chose.
TransferSettings ReadTransferSettings(const ParsedArgs& args);
