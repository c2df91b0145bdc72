#pragma once
// What tells one story's data from another's: a 64-bit hash of "kirune.ini"
// and of the "ASTARTUP.BIN" and "EVENT.BIN" it names. Saves and read marks
// belong to one story id.
#include <cstdint>
#include <string>

namespace save {

// The id of the story in the working directory. Opens the files directly,
// not as the story's data files (the frame loop never sees these opens).
uint64_t currentStoryId();

// Sixteen lower-case hexadecimal digits.
std::string storyIdText(uint64_t id);

}  // namespace save
