#include "cli/FleetDeviceHost.h"

#include "cli/ConsoleHost.h"

#include <utility>

FleetDeviceHost::FleetDeviceHost(const TransferSettings& connection, std::string settingsFile,
                                 Clock& clock)
    : connection_(connection), settingsFile_(std::move(settingsFile)) {
    client_.TimeSource = &clock;
}

std::optional<std::string> FleetDeviceHost::ChooseFile(Dialog dialog, const std::string&) {
    return CommandLineChoice(dialog, std::exchange(chosenFile_, std::nullopt), message_);
}

bool FleetDeviceHost::AskOverwrite(const std::string& question) {
    if (!connection_.yes) {
        message_ = question + "\r" + kOverwriteRefusalNote;
    }
    return connection_.yes;
}

TIdTrivialFTP& FleetDeviceHost::PrepareClient(Action) {
    ApplyConnection(connection_, client_);
    return client_;
}

LoggerTablesRefill FleetDeviceHost::LoggerTables() {
    return SettingsFileTables(settingsFile_);
}
