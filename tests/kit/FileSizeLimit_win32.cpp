#include "tests/kit/FileSizeLimit.h"

// Windows has no limit of this kind.
FileSizeLimit::FileSizeLimit(std::uint64_t) {}

FileSizeLimit::~FileSizeLimit() = default;
