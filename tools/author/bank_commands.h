#pragma once
// The `lmtool bank` subcommands as functions: pack, unpack, info.
#include <string>
#include <vector>

namespace author {

// Highest rate the player's mixer plays.
constexpr int kMaxBankRate = 44100;

// Packs each input file, in order, as one clip at `rate` Hz into bank `out`.
bool bankPack(const std::string& out, int rate, const std::vector<std::string>& inputs, std::string& error);

// Writes clip i of bank `in` as `outDir`/clipNNN.wav (8-bit mono, `rate` Hz).
bool bankUnpack(const std::string& in, const std::string& outDir, int rate, std::vector<std::string>* written,
                std::string& error);

// A listing of the bank's clips and their lengths.
bool bankInfo(const std::string& in, std::string& report, std::string& error);

// The file name unpack gives clip `index`.
std::string clipFileName(size_t index);

}  // namespace author
