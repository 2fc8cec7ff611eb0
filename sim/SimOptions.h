// Settings of the device simulator, including the switches that make it misbehave on purpose.
//
// The same structure is filled from quorvel-sim's command line and by tests that run the
// simulator in-process. Packets are counted per transfer from 1, in the order the simulator sends
// them, retransmissions and error packets included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

// What the random mode may do to a packet: not send it, send it twice, hold it back until the
// packet after it has gone out, send it late, put noise before it, or send a copy from another
// port (network only).
enum class RandomFault { Drop, Duplicate, Reorder, Delay, Noise, Stray };

// Packets disturbed at random, as on a poor link, yet repeatable: the dice of the simulator's
// transfer n are seeded with seed + n - 1, and the transfer's first log line names its seed, so
// that one transfer can be replayed alone.
struct RandomFaults {
    unsigned seed = 0;
    // How many of every million packets are disturbed; the kind is drawn evenly from kinds.
    unsigned perMillion = 100'000;
    std::set<RandomFault> kinds = {RandomFault::Drop,  RandomFault::Duplicate, RandomFault::Reorder,
                                   RandomFault::Delay, RandomFault::Noise,     RandomFault::Stray};
    // The longest a packet is held back (delayed, or waiting for the next one to overtake it).
    unsigned maxDelayMs = 300;

    // The dice seed of the simulator's transfer number n (counted from 1).
    unsigned SeedOf(unsigned transfer) const { return seed + transfer - 1; }
};

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
    // Before packet N, a burst of garbageBytes bytes of noise goes out as a packet of its own.
    // Its first byte is never 0, so it never reads as a TFTP packet.
    std::optional<unsigned> garbageBeforePacket;
    std::size_t garbageBytes = 16;
    // Disturbances drawn at random, on top of the switches above.
    std::optional<RandomFaults> random;

    bool Any() const;
    // One line naming every active switch, for the start-up banner.
    std::string Describe() const;
};

// The simulator on a serial line instead of the network: one transfer at a time, packets told
// apart only by the pause after them, as on the device's RS232 port.
struct SimSerialOptions {
    // The tty to serve; empty: create a pseudo-terminal whose other end the client opens.
    std::string device;
    // Silence that ends a packet from the client; the simulator answers only after it.
    unsigned gapMs = 5;
    // Silence the simulator leaves between two packets it sends in a row (a duplicate, noise);
    // it must be longer than the client's gap, or the client reads them as one.
    unsigned pauseMs = 50;
    // Move bytes no faster than a real line at 115200 baud, 8N1: 11520 bytes/s each way.
    bool paced = false;
    // Ignore requests until the transfer-mode wake-up ("&" three times) has come.
    bool wakeRequired = false;
};

// The answer to the transfer-mode wake-up.
inline constexpr const char* kWakeUpAnswer = "transfer mode on\r\n";

// The seed of the logger file served as "plog.zel" when the folder holds none.
inline constexpr unsigned kDefaultZelSeed = 1968;

struct SimOptions {
    std::string folder = ".";
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 0; // 0: any free port
    // How long to wait for the client before sending the last packet again, and how often.
    unsigned timeoutMs = 1000;
    unsigned retries = 5;
    SimFaults faults;
    // Set: serve on a serial line; bindAddress and port are then unused.
    std::optional<SimSerialOptions> serial;
    // On the network, a whole network of devices from one process: device K (from 1) answers on
    // port + K - 1 and serves the folder "device-K" inside folder.
    unsigned devices = 1;
    // The faults of single devices, by K, in place of faults.
    std::map<unsigned, SimFaults> deviceFaults;
    // Every packet the simulator sends reaches the client this much later, as over a radio
    // network: a round trip takes that much longer.
    unsigned latencyMs = 0;
    unsigned zelSeed = kDefaultZelSeed;
    // Log every packet sent and received, not only requests, results and faults.
    bool verbose = false;
    // Receives one line per event; quorvel-sim prints them on stdout.
    std::function<void(const std::string&)> log;
};

// The options with quorvel-sim's log on stdout, unless they name a log of their own.
SimOptions WithStdoutLog(SimOptions options);
