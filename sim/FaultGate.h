// The switches that disturb the packets a transfer sends: dropping, duplicating, falling silent,
// stray copies and noise. It stands between a session and its transport and counts the packets of
// one transfer from 1, retransmissions included, so a fault hits the same packet in every transfer.
#pragma once

#include "sim/SimOptions.h"

#include <string>
#include <vector>

struct Delivery {
    std::string packet;
    bool stray = false; // send from a second, unrelated port
};

// size bytes of noise, the same for the same seed. The first byte has its top bit set: no TFTP
// opcode starts with it, so the noise can never pass for a packet of the transfer.
std::string NoiseBytes(std::size_t size, unsigned seed);

class FaultGate {
public:
    explicit FaultGate(const SimFaults& faults) : faults_(faults) {}

    // What the transport really sends for the packets a session hands out; each fault that
    // acted leaves a note for the log.
    std::vector<Delivery> Pass(const std::vector<std::string>& packets,
                               std::vector<std::string>& notes);

private:
    bool EndsSilence(const std::string& packet) const;

    const SimFaults& faults_;
    unsigned count_ = 0;
    bool silent_ = false;
};
