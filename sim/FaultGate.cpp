#include "sim/FaultGate.h"

#include "sim/PacketText.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <iterator>

std::string NoiseBytes(std::size_t size, unsigned seed) {
    std::mt19937 dice(seed);
    std::string noise(size, '\0');
    for (char& byte : noise) {
        byte = static_cast<char>(dice() & 0xFF);
    }
    if (!noise.empty()) {
        noise[0] = static_cast<char>(noise[0] | 0x80);
    }
    return noise;
}

FaultGate::FaultGate(const SimFaults& faults, unsigned transfer)
    : faults_(faults), dice_(faults.random ? faults.random->SeedOf(transfer) : 0) {}

std::vector<Delivery> FaultGate::Pass(const std::vector<std::string>& packets,
                                      std::vector<std::string>& notes) {
    std::vector<Delivery> deliveries;
    for (const std::string& packet : packets) {
        ++count_;
        const std::string label =
            "packet " + std::to_string(count_) + " (" + DescribePacket(packet) + ")";
        if (silent_) {
            notes.push_back("silent: withheld " + label);
            continue;
        }
        if (faults_.garbageBeforePacket == count_) {
            notes.push_back("fault: " + std::to_string(faults_.garbageBytes) +
                            " garbage bytes before " + label);
            deliveries.push_back({NoiseBytes(faults_.garbageBytes, count_), false});
        }
        if (faults_.dropPackets.count(count_) != 0) {
            notes.push_back("fault: dropped " + label);
            continue;
        }
        Disturb(packet, label, deliveries, notes);
        if (faults_.duplicatePackets.count(count_) != 0) {
            notes.push_back("fault: sent " + label + " twice");
            deliveries.push_back({packet, false});
        }
        if (faults_.strayAfterPacket == count_) {
            notes.push_back("fault: stray copy of " + label + " from another port");
            deliveries.push_back({packet, true});
        }
        if (EndsSilence(packet)) {
            notes.push_back("fault: silent from now on (block " +
                            std::to_string(*faults_.silentAfterBlock) + " sent)");
            silent_ = true;
        }
    }
    return deliveries;
}

bool FaultGate::EndsSilence(const std::string& packet) const {
    if (!faults_.silentAfterBlock || packet.size() < TFTP_HEADER_SIZE) {
        return false;
    }
    switch (PacketOpcode(packet)) {
    case TFTP_OACK:
        return *faults_.silentAfterBlock == 0;
    case TFTP_DATA:
    case TFTP_ACK:
        return PacketWord(packet) == *faults_.silentAfterBlock;
    default:
        return false;
    }
}

void FaultGate::Disturb(const std::string& packet, const std::string& label,
                        std::vector<Delivery>& deliveries, std::vector<std::string>& notes) {
    const std::optional<RandomFault> fault = DrawFault();
    if (!fault) {
        deliveries.push_back({packet});
        return;
    }
    const unsigned maxDelayMs = faults_.random->maxDelayMs;
    switch (*fault) {
    case RandomFault::Drop:
        notes.push_back("random: dropped " + label);
        break;
    case RandomFault::Duplicate:
        notes.push_back("random: sent " + label + " twice");
        deliveries.insert(deliveries.end(), 2, {packet});
        break;
    case RandomFault::Reorder:
        notes.push_back("random: held back " + label + " until the next packet");
        deliveries.push_back({packet, false, maxDelayMs, true});
        break;
    case RandomFault::Delay: {
        const unsigned delayMs = Draw(1, std::max(1u, maxDelayMs));
        notes.push_back("random: " + label + " " + std::to_string(delayMs) + " ms late");
        deliveries.push_back({packet, false, delayMs});
        break;
    }
    case RandomFault::Noise: {
        const std::size_t size = DrawNoiseSize();
        notes.push_back("random: " + std::to_string(size) + " noise bytes before " + label);
        deliveries.push_back({NoiseBytes(size, static_cast<unsigned>(dice_()))});
        deliveries.push_back({packet});
        break;
    }
    case RandomFault::Stray:
        notes.push_back("random: stray copy of " + label + " from another port");
        deliveries.push_back({packet});
        deliveries.push_back({packet, true});
        break;
    }
}

std::optional<RandomFault> FaultGate::DrawFault() {
    if (!faults_.random || faults_.random->kinds.empty() ||
        Draw(0, 999'999) >= faults_.random->perMillion) {
        return std::nullopt;
    }
    const auto& kinds = faults_.random->kinds;
    return *std::next(kinds.begin(), Draw(0, static_cast<unsigned>(kinds.size()) - 1));
}

unsigned FaultGate::Draw(unsigned low, unsigned high) {
    return std::uniform_int_distribution<unsigned>(low, high)(dice_);
}

std::size_t FaultGate::DrawNoiseSize() {
    const unsigned shape = Draw(0, 9);
    if (shape < 2) {
        return Draw(1, TFTP_HEADER_SIZE - 1);
    }
    return shape < 9 ? Draw(TFTP_HEADER_SIZE, 64) : Draw(600, 1500);
}
