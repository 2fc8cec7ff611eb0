#include "sim/FaultGate.h"

#include "sim/PacketText.h"
#include "tftp/IdTrivialFTPBase.h"

#include <random>

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
        deliveries.push_back({packet, false});
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
