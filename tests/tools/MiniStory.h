#pragma once
// A small complete story made with the project's own encoders in the working
// directory: the script, the screens, two event pictures (one 480 rows tall
// for panning), a seven-layer face, a voice bank, the system bank and the font.
// Tests break one thing each.
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "tools/author/bank_file.h"
#include "tools/author/font_builder.h"
#include "tools/author/pf1_codec.h"
#include "tools/author/story_compiler.h"

namespace lmtest {

// Charts: one (choice) -> two (pan picture) / three; both jump to four, the end.
inline const char* kMiniScript =
    "sysdir .\n"
    "pcmdir voice\n"
    "evdir ev\n"
    "facedir face\n"
    "start one\n"
    "character 1 hana \"Hana\"\n"
    "chart one -> two three\n"          // line 7
    "image E001\n"                      // 8
    "window open\n"                     // 9
    "face hana 0\n"                     // 10
    "voice 001\n"                       // 11
    "say hana \"Hello.\"\n"             // 12
    "voice next\n"                      // 13
    "text \"\\c\\n\\nWhere to?\"\n"     // 14
    "choice \"Left \" \"Right\"\n"      // 15
    "branch\n"                          // 16
    "chart two -> four\n"               // 17
    "image E002 pan-up\n"               // 18
    "jump\n"                            // 19
    "chart three -> four\n"             // 20
    "text \"\\cThree.\"\n"              // 21
    "jump\n"                            // 22
    "chart four\n"                      // 23
    "text \"\\cThe end.\"\n";           // 24

// A PF1 picture of one colour; `blocks` blocks of w x h.
inline Bytes solidPicture(int w, int h, int blocks = 1, uint16_t word = 0x7C00) {
  std::vector<std::vector<uint16_t>> b(static_cast<size_t>(blocks),
                                       std::vector<uint16_t>(static_cast<size_t>(w) * h, word));
  return author::encodePf1(w, h, b);
}

inline Bytes bankOf(int clips) {
  return author::encodeBank(std::vector<author::Clip>(static_cast<size_t>(clips), author::Clip(64, 10)));
}

// Compiles `script` into the working directory; the compiled files for line numbers.
inline story::StoryFiles buildScript(const std::string& script) {
  story::StoryFiles files;
  std::string error;
  if (!story::compileStory(script, files, &error, "story.txt") || !story::writeStoryFiles(files, ".", &error))
    throw std::runtime_error(error);
  return files;
}

// Writes the whole story; returns the compiled script.
inline story::StoryFiles writeMiniStory(const std::string& script = kMiniScript) {
  makeDirs("ev");
  makeDirs("face");
  makeDirs("voice");
  for (const char* n : {"LOGO01.PF1", "LOGO02.PF1", "TITLE00.PF1", "SYS011.PF1", "SYS020.PF1"})
    writeFile(n, solidPicture(320, 240));
  writeFile("ev/E001.PF1", solidPicture(320, 240));
  writeFile("ev/E002.PF1", solidPicture(320, 240, 2));
  writeFile("face/FACE0100.PF1", solidPicture(16, 16, 7));
  writeFile("voice/KI001.PCM", bankOf(2));
  writeFile("SYS01.PCM", bankOf(12));
  static Bytes font;
  if (font.empty()) {
    std::string error;
    if (!author::buildFont(author::FontSources(), font, error)) throw std::runtime_error(error);
  }
  writeFile("FONT.FON", font);
  return buildScript(script);
}

// The script with line `n` (from 1) replaced by `text` (no newline).
inline std::string withLine(const std::string& script, int n, const std::string& text) {
  std::string out;
  int line = 1;
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    std::string l = script.substr(start, end - start);
    out += (line == n ? text : l) + "\n";
    ++line;
    start = end == std::string::npos ? script.size() : end + 1;
  }
  return out;
}

}  // namespace lmtest
