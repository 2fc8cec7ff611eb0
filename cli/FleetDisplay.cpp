#include "cli/FleetDisplay.h"

#include <ostream>

FleetDisplay::FleetDisplay(CliIo& io, std::size_t devices, bool progress, bool json)
    : io_(io), devices_(devices), json_(json), progress_(io.err, io.errIsTerminal && progress) {
    progress_.Begin(0);
}

void FleetDisplay::Ended(const FleetDevice& device, const FleetOutcome& outcome) {
    if (json_) {
        Line(io_.out, JsonObject(device, outcome));
    } else if (outcome.result == FleetResult::Ok) {
        Line(io_.out, device.name + ": ok");
    } else {
        const std::string message = OneLine(outcome.message);
        Line(io_.err, device.name + ": " + ResultText(outcome.result) +
                          (message.empty() ? "" : ": " + message));
    }
}

void FleetDisplay::Note(const std::string& text) {
    Line(io_.err, text);
}

void FleetDisplay::Info(const std::string& text) {
    Line(json_ ? io_.err : io_.out, text);
}

void FleetDisplay::Progress(const FleetTally& tally) {
    progress_.Label(std::to_string(tally.ended) + " of " + std::to_string(devices_) +
                    " devices done, " + std::to_string(tally.failed) + " failed, " +
                    std::to_string(tally.running) + " running  ");
    progress_.Update(tally.bytes);
}

void FleetDisplay::Line(std::ostream& out, const std::string& text) {
    progress_.Wipe();
    out << text << '\n' << std::flush;
}
