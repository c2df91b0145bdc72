#pragma once
// The `lmtool pf1` subcommands as functions: encode, decode, info.
#include <string>
#include <vector>

namespace author {

// Encodes each PNG, in order, as one block of PF1 file `out`. All inputs must
// share one size. The file appears complete or not at all.
bool pf1Encode(const std::string& out, const std::vector<std::string>& inputs, std::string& error);

// Writes PF1 file `in` as an RGBA PNG: with `block` < 0 the picture as the
// player loads it (block 0, or blocks 0 and 1 stacked), else that block alone.
bool pf1Decode(const std::string& in, const std::string& out, int block, std::string& error);

// Size, block count and block sizes of `in` in `report`; false, with what is
// wrong in `error` (and what could be read in `report`), for a damaged file.
bool pf1Info(const std::string& in, std::string& report, std::string& error);

}  // namespace author
