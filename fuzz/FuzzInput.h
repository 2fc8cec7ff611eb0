// What every fuzz target shares: the failure that libFuzzer reports as a crash, and how an input
// is read as a few settings bytes followed by parts.
//
// Parts are cut at a two-byte separator: random data rarely holds it, the fuzzer's comparison
// tracing finds it at once, and a seed stays readable where its parts are text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kPartSeparator = "%%";

// Ends the run with a crash report when condition is false; what says which invariant broke.
void Check(bool condition, const char* what);

// The input cut at every separator; an input without one is one part. Empty parts are kept.
std::vector<std::string> SplitParts(std::string_view input);

// The parts joined again with the separator: how the seed writer builds an input.
std::string JoinParts(const std::vector<std::string>& parts);

// Reads the settings bytes at the front of an input; past its end every byte reads as 0.
class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size)
        : Rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte();
    // A value from 0 to count - 1.
    unsigned Choice(unsigned count) { return Byte() % count; }
    std::string_view Rest() const { return Rest_; }

private:
    std::string_view Rest_;
};

// A folder of the target's own under the system's temporary folder, made at the first call and
// removed when the run ends.
const std::filesystem::path& FuzzFolder();
