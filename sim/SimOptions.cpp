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

std::string RandomFaultName(RandomFault fault) {
    switch (fault) {
    case RandomFault::Drop:
        return "drop";
    case RandomFault::Duplicate:
        return "duplicate";
    case RandomFault::Reorder:
        return "reorder";
    case RandomFault::Delay:
        return "delay";
    case RandomFault::Noise:
        return "noise";
    case RandomFault::Stray:
        return "stray";
    }
    return "?";
}

std::string DescribeRandom(const RandomFaults& random) {
    std::string kinds;
    for (RandomFault kind : random.kinds) {
        kinds += (kinds.empty() ? "" : " ") + RandomFaultName(kind);
    }
    return "random faults from seed " + std::to_string(random.seed) + " on " +
           std::to_string(random.perMillion) + " per million packets (" + kinds + ", held up to " +
           std::to_string(random.maxDelayMs) + " ms)";
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
    if (random) {
        item(DescribeRandom(*random));
    }
    return out.str();
}

SimOptions WithStdoutLog(SimOptions options) {
    if (!options.log) {
        options.log = [](const std::string& line) { std::cout << line << std::endl; };
    }
    return options;
}
