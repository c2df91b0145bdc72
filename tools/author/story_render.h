#pragma once
// Writes decoded byte code as script lines (the dumper's half of the language).
#include <string>

#include "tools/author/story_bytecode.h"

namespace story {

// Script lines for the stream bytes data[begin, end): sound instructions by
// name, everything else as 'raw' lines. Each line is indented and ends in a
// line break. `need` receives the link columns the jumps and branches use
// (as the compiler counts them).
std::string renderStream(const uint8_t* data, size_t begin, size_t end, int characters, int& need);

// 'raw' lines for data[begin, end).
std::string renderRaw(const uint8_t* data, size_t begin, size_t end);

// The script line (without indent or line break) for a sound instruction.
std::string renderInstr(const Instr& in);

}  // namespace story
