// Seeded random numbers for what the simulator and the fault soak make up: the sample logger's
// events and the soak's transfers. A seed gives the same numbers on every platform and with every
// standard library: std::mt19937's output is fixed by the standard, the distributions' is not,
// so the numbers are taken from the engine directly.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

class Dice {
public:
    explicit Dice(unsigned seed) : engine_(seed) {}

    // A number from low to high, both included; high - low is below 2^32 - 1.
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
        return low + static_cast<std::uint32_t>(engine_() % (high - low + 1));
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(engine_()); }
    bool Chance(unsigned percent) { return Between(0, 99) < percent; }
    template <class T> T OneOf(const std::vector<T>& values) {
        return values[Between(0, static_cast<std::uint32_t>(values.size() - 1))];
    }

private:
    std::mt19937 engine_;
};
