#pragma once
// The story's charts and their successors as a Graphviz graph.
#include <string>

#include "tools/author/story_compiler.h"

namespace story {

// DOT text for the story in `dir`: one node per chart (dashed when never
// reached), an edge per successor taken, labelled with the chosen answer;
// endings and chart errors as their own nodes. `source` (the compiled
// script of this story, or null) names the charts. False with a reason when
// `dir` holds no story.
bool storyGraph(const std::string& dir, const StoryFiles* source, std::string& dot, std::string& error);

// Graphviz's time for one drawing unless told otherwise.
constexpr double kDefaultDotSeconds = 120;

// Runs Graphviz's dot to turn DOT text into SVG at `svgPath` (an output as
// platform/OutputFile.h writes them), for at most `seconds`. False with a
// reason (Graphviz missing, dot failed or out of time); `svgPath` is then unchanged.
bool renderSvg(const std::string& dot, const std::string& svgPath, double seconds, std::string& error);

}  // namespace story
