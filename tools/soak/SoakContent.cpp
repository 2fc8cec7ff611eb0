#include "tools/soak/SoakContent.h"
#include "support/PathText.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::uint64_t Mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// The content from offset (a multiple of 8) on, count bytes.
void Fill(std::uint64_t seed, std::uint64_t offset, char* out, std::size_t count) {
    for (std::size_t done = 0; done < count; done += 8) {
        const std::uint64_t word = Mix(Mix(seed) ^ ((offset + done) / 8));
        std::memcpy(out + done, &word, std::min<std::size_t>(8, count - done));
    }
}

} // namespace

void WriteContent(const std::filesystem::path& path, std::uint64_t seed, std::uint64_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::vector<char> chunk(kChunk);
    for (std::uint64_t offset = 0; file && offset < size; offset += kChunk) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - offset));
        Fill(seed, offset, chunk.data(), count);
        file.write(chunk.data(), static_cast<std::streamsize>(count));
    }
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write " + PathText(path));
    }
}

std::optional<std::string> ContentDifference(const std::filesystem::path& path, std::uint64_t seed,
                                             std::uint64_t size) {
    std::error_code error;
    const std::uint64_t actual = std::filesystem::file_size(path, error);
    if (error) {
        return "is missing";
    }
    if (actual != size) {
        return "has " + std::to_string(actual) + " bytes instead of " + std::to_string(size);
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<char> expected(kChunk);
    std::vector<char> found(kChunk);
    for (std::uint64_t offset = 0; offset < size; offset += kChunk) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - offset));
        Fill(seed, offset, expected.data(), count);
        if (!file.read(found.data(), static_cast<std::streamsize>(count))) {
            return "cannot be read at byte " + std::to_string(offset);
        }
        const auto end = found.begin() + static_cast<std::ptrdiff_t>(count);
        const auto mismatch = std::mismatch(found.begin(), end, expected.begin());
        if (mismatch.first != end) {
            const auto at = static_cast<std::uint64_t>(mismatch.first - found.begin());
            return "differs from byte " + std::to_string(offset + at);
        }
    }
    return std::nullopt;
}
