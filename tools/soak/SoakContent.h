// The bytes of the soak's files, made from a seed as they are needed: no file is ever held in
// memory whole, so that the soak's memory says something about the client's and the simulator's.
// Every 8 bytes depend on the seed and on their place, so a block stored twice, in the wrong
// place or not at all shows as a difference.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Writes size bytes of the seed's content to path; throws std::runtime_error when it cannot.
void WriteContent(const std::filesystem::path& path, std::uint64_t seed, std::uint64_t size);

// Nothing when the file holds exactly size bytes of the seed's content, else what differs.
std::optional<std::string> ContentDifference(const std::filesystem::path& path, std::uint64_t seed,
                                             std::uint64_t size);
