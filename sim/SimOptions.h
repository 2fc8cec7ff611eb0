// Settings of the device simulator, including the switches that make it misbehave on purpose.
//
// The same structure is filled from quorvel-sim's command line and by tests that run the
// simulator in-process. Packets are counted per transfer from 1, in the order the simulator sends
// them, retransmissions and error packets included.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

struct SimFaults {
    // Answer a request as if it carried no options: DATA 1 or ACK 0 instead of an OACK.
    bool ignoreOptions = false;
    // Packet numbers that are not sent / sent twice.
    std::set<unsigned> dropPackets;
    std::set<unsigned> duplicatePackets;
    // After DATA N (read) or ACK N (write) is sent, nothing more is sent; the OACK counts as
    // block 0. The transfer is abandoned once its retries are used up.
    std::optional<unsigned> silentAfterBlock;
    // Answer with ERROR errorCode and errorText instead of the reply to the request
    // (errorAtBlock 0) or instead of DATA errorAtBlock / ACK errorAtBlock.
    std::optional<std::uint16_t> errorCode;
    std::string errorText;
    unsigned errorAtBlock = 0;
    // OACK shape: another option ("tsize") before blksize, the name in capitals, and a value
    // announced verbatim instead of the agreed one (any text, hostile ones included).
    bool oackExtraOption = false;
    bool oackUpperCase = false;
    std::optional<std::string> oackBlockSize;
    // After packet N, send a copy of it from a second, unrelated port.
    std::optional<unsigned> strayAfterPacket;
    // In a read, the block after N-1 is numbered N+1 (the data goes on without a gap).
    std::optional<unsigned> skipBlock;

    bool Any() const;
    // One line naming every active switch, for the start-up banner.
    std::string Describe() const;
};

struct SimOptions {
    std::string folder = ".";
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 0; // 0: any free port
    // How long to wait for the client before sending the last packet again, and how often.
    unsigned timeoutMs = 1000;
    unsigned retries = 5;
    SimFaults faults;
    // Log every packet sent and received, not only requests, results and faults.
    bool verbose = false;
    // Receives one line per event; quorvel-sim prints them on stdout.
    std::function<void(const std::string&)> log;
};
