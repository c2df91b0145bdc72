#pragma once
// Turns a parsed story into its files.
#include "tools/author/story_compiler.h"
#include "tools/author/story_model.h"

namespace story {

// Fills `out` from `model`; reports problems (undefined charts, link-row
// conflicts, missing successors) to `diag`.
void layoutStory(Model& model, Diagnostics& diag, StoryFiles& out);

// ASTARTUP.BIN for these names: "【" name "】" and a line break each.
Bytes startupBytes(const std::vector<Character>& characters);

}  // namespace story
