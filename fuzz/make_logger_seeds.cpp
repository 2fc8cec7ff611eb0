// Writes the seed corpus of fuzz_logger into the folder given as the only argument: sample
// loggers, small and edge-case blocks, and damaged files.
#include "sim/LoggerWriter.h"
#include "sim/SampleLogger.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

void Seed(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_logger_seeds FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    for (unsigned seed = 1; seed <= 3; ++seed)
        Seed(folder, "sample-" + std::to_string(seed), MakeSamplePlogZel(seed));
    const std::string sample = MakeSamplePlogZel(4);
    Seed(folder, "truncated", sample.substr(0, 3 * 512 + 77));
    std::string damaged = sample;
    damaged[700] ^= 0x10;
    Seed(folder, "damaged-crc", damaged);
    Seed(folder, "newest-only", EncodeLoggerBlock({65003, 1, 7}));
    Seed(folder, "edges",
         EncodeLoggerFile({{60990, std::vector<std::uint16_t>(30, 0x1234)},
                           {64990, std::vector<std::uint16_t>(20, 0xFFFF)},
                           {0, {}},
                           {100, {1, 2, 3}}}));
    Seed(folder, "one-record",
         EncodeLoggerBlock({61000, 8, 0x150C, 0x1F17, 0x3B3A, 0x0011, 0x0102, 0x0304, 0x0506,
                            0x0708, 65003, 1, 0}));
    return 0;
}
