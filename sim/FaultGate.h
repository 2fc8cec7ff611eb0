// The switches that disturb the packets a transfer sends: dropping, duplicating, falling silent,
// stray copies and noise, and the same drawn at random together with late and reordered packets.
// It stands between a session and its transport and counts the packets of one transfer from 1,
// retransmissions included, so a fault hits the same packet in every transfer.
#pragma once

#include "sim/SimOptions.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

struct Delivery {
    std::string packet;
    bool stray = false; // send from a second, unrelated port
    // Held back this long before it goes out; later packets of the transfer may overtake it.
    unsigned delayMs = 0;
    // Held back until the next packet of the transfer has gone out (at most delayMs).
    bool afterNext = false;
};

// size bytes of noise, the same for the same seed. The first byte has its top bit set: no TFTP
// opcode starts with it, so the noise can never pass for a packet of the transfer.
std::string NoiseBytes(std::size_t size, unsigned seed);

class FaultGate {
public:
    // transfer: the simulator's number of the transfer, which picks its random dice.
    FaultGate(const SimFaults& faults, unsigned transfer);

    // What the transport really sends for the packets a session hands out; each fault that
    // acted leaves a note for the log.
    std::vector<Delivery> Pass(const std::vector<std::string>& packets,
                               std::vector<std::string>& notes);

private:
    bool EndsSilence(const std::string& packet) const;
    // The packet as the random mode lets it go: untouched, or disturbed in one way.
    void Disturb(const std::string& packet, const std::string& label,
                 std::vector<Delivery>& deliveries, std::vector<std::string>& notes);
    std::optional<RandomFault> DrawFault();
    unsigned Draw(unsigned low, unsigned high);
    // Mostly noise that reads as a bad packet, sometimes one too short to be a packet or one
    // longer than a receive buffer of 512-byte blocks.
    std::size_t DrawNoiseSize();

    const SimFaults& faults_;
    std::mt19937 dice_;
    unsigned count_ = 0;
    bool silent_ = false;
};
