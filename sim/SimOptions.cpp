#include "sim/SimOptions.h"

#include <iostream>
#include <sstream>

bool SimFaults::Any() const {
    return !Describe().empty();
}

namespace {

std::string JoinNumbers(const std::set<unsigned>& numbers) {
    std::string text;
    for (unsigned n : numbers) {
        text += (text.empty() ? "" : ",") + std::to_string(n);
    }
    return text;
}

} // namespace

std::string SimFaults::Describe() const {
    std::ostringstream out;
    const auto item = [&out](const std::string& text) {
        out << (out.tellp() > 0 ? ", " : "") << text;
    };
    if (ignoreOptions) {
        item("ignore options");
    }
    if (!dropPackets.empty()) {
        item("drop packet " + JoinNumbers(dropPackets));
    }
    if (!duplicatePackets.empty()) {
        item("duplicate packet " + JoinNumbers(duplicatePackets));
    }
    if (silentAfterBlock) {
        item("silent after block " + std::to_string(*silentAfterBlock));
    }
    if (errorCode) {
        item("ERROR " + std::to_string(*errorCode) + " \"" + errorText + "\"" +
             (errorAtBlock == 0 ? " on request" : " at block " + std::to_string(errorAtBlock)));
    }
    if (oackExtraOption) {
        item("tsize before blksize in OACK");
    }
    if (oackUpperCase) {
        item("BLKSIZE in capitals");
    }
    if (oackBlockSize) {
        item("OACK announces blksize \"" + *oackBlockSize + "\"");
    }
    if (strayAfterPacket) {
        item("stray packet after packet " + std::to_string(*strayAfterPacket));
    }
    if (skipBlock) {
        item("skip block number " + std::to_string(*skipBlock));
    }
    if (garbageBeforePacket) {
        item(std::to_string(garbageBytes) + " garbage bytes before packet " +
             std::to_string(*garbageBeforePacket));
    }
    return out.str();
}

SimOptions WithStdoutLog(SimOptions options) {
    if (!options.log) {
        options.log = [](const std::string& line) { std::cout << line << std::endl; };
    }
    return options;
}
