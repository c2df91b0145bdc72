#pragma once
// Output files are written whole or not at all.
#include <string>
#include <vector>

namespace platform {

// Writes `bytes` under a temporary name beside `path` and renames it, so no
// half-written file is ever left at `path`. False with a reason on failure.
bool writeFileAtomic(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);

}  // namespace platform
