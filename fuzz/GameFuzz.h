#pragma once
// What the story-scene fuzz targets share: the data files a fuzzed scenario
// may name (made by the project's encoders), the parameters read from the
// input's end, and seed scenarios compiled from story scripts.
//
// Input: EVENT.BIN (its length taken from the input's end) then ASTARTUP.BIN
// (the rest of the front); from the end: the INI values, the key pattern.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "shell/Key.h"
#include "tools/author/bank_file.h"
#include "tools/author/pf1_codec.h"
#include "tools/author/story_compiler.h"

namespace gamefuzz {

constexpr int kPatternKeys = 16;
constexpr uint32_t kStepMs = 16;

// The values the target reads from the input's end, in that order.
struct Params {
  int chartPos = 0, linkPos = 0, max = 0, address = 0, start = 0, namePos = 0, chars = 0, freq = 22050;
  bool withFreq = false;
  int hold = 1;  // steps each key pattern entry is held
  uint8_t keys[kPatternKeys] = {};
  size_t eventBytes = 0;
};

inline Params readParams(FuzzedDataProvider& in) {
  Params p;
  p.chartPos = in.ConsumeIntegral<int16_t>();
  p.linkPos = in.ConsumeIntegral<int16_t>();
  p.max = in.ConsumeIntegral<int16_t>();
  p.address = in.ConsumeIntegral<int32_t>();
  p.start = in.ConsumeIntegral<int16_t>();
  p.namePos = in.ConsumeIntegral<int16_t>();
  p.chars = in.ConsumeIntegral<int16_t>();
  p.withFreq = in.ConsumeBool();
  p.freq = in.ConsumeIntegral<int32_t>();
  p.hold = in.ConsumeIntegralInRange<int>(1, 16);
  for (uint8_t& k : p.keys) k = in.ConsumeIntegral<uint8_t>();
  p.eventBytes = in.ConsumeIntegral<uint16_t>();
  return p;
}

inline void writeParams(fuzz::Tail& t, const Params& p) {
  t.put<int16_t>(p.chartPos).put<int16_t>(p.linkPos).put<int16_t>(p.max).put<int32_t>(p.address);
  t.put<int16_t>(p.start).put<int16_t>(p.namePos).put<int16_t>(p.chars);
  t.flag(p.withFreq).put<int32_t>(p.freq).inRange(p.hold, 1, 16);
  for (uint8_t k : p.keys) t.put<uint8_t>(k);
  t.put<uint16_t>(static_cast<uint16_t>(p.eventBytes));
}

inline std::vector<uint16_t> pattern(int w, int h, uint16_t a, uint16_t b) {
  std::vector<uint16_t> words(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) words[static_cast<size_t>(y) * w + x] = ((x / 4 + y / 4) % 2) ? a : b;
  return words;
}

inline void writeBytes(const char* name, const std::vector<unsigned char>& bytes) {
  if (!fuzz::writeFile(name, bytes.data(), bytes.size())) std::abort();
}

// The data files a scenario may name, beside the fuzzed ones.
inline void writeSupportFiles() {
  writeBytes("AAAA.PF1", author::encodePf1(40, 30, {pattern(40, 30, 0x801F, 0x03E0)}));
  writeBytes("BBBB.PF1", author::encodePf1(32, 24, {pattern(32, 24, 0x7C00, 0), pattern(32, 24, 0x8000, 0x7FFF)}));
  std::vector<std::vector<uint16_t>> face;
  for (int i = 0; i < 7; ++i) face.push_back(pattern(24, 32, static_cast<uint16_t>(0x8000 | (i * 0x0421)), i ? 0 : 0x4210));
  writeBytes("FACE0100.PF1", author::encodePf1(24, 32, face));
  std::vector<author::Clip> clips;
  for (int n : {40, 0, 300, 5}) {
    author::Clip c(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) c[static_cast<size_t>(i)] = static_cast<signed char>((i * 37) & 0x7F);
    clips.push_back(c);
  }
  writeBytes("KI001.PCM", author::encodeBank(clips));
  clips.resize(3);
  writeBytes("SYS01.PCM", author::encodeBank(clips));
  // Single-byte glyphs and the first rows of double-byte ones, striped.
  std::vector<unsigned char> font(4096 + 32 * 400);
  for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<unsigned char>(i % 3 ? 0x5A : 0x81);
  writeBytes("FONT.FON", font);
}


// kirune.ini, EVENT.BIN and ASTARTUP.BIN of one input; false when they could
// not be written.
inline bool writeScenarioFiles(const Params& p, const std::vector<uint8_t>& event, const std::vector<uint8_t>& startup) {
  std::string ini = "[DOROVANKA]\n";
  const std::pair<const char*, int> keys[] = {{"CHART", p.chartPos}, {"LINK", p.linkPos}, {"MAX", p.max},
                                              {"ADDRESS", p.address}, {"START", p.start}, {"NAME", p.namePos},
                                              {"CHAR", p.chars}};
  for (const auto& [key, value] : keys) ini += std::string(key) + "=" + std::to_string(value) + "\n";
  if (p.withFreq) ini += "FREQ=" + std::to_string(p.freq) + "\n";
  return fuzz::writeText("kirune.ini", ini) && fuzz::writeFile("EVENT.BIN", event.data(), event.size()) &&
         fuzz::writeFile("ASTARTUP.BIN", startup.data(), startup.size());
}

// ------------------------------------------------------------------ seeds

// The INI value of `key` in compiled INI text, or `def`.
inline int iniValue(const std::string& ini, const std::string& key, int def) {
  std::istringstream lines(ini);
  std::string line;
  while (std::getline(lines, line))
    if (line.compare(0, key.size() + 1, key + "=") == 0) return std::stoi(line.substr(key.size() + 1));
  return def;
}

// The key pattern presses nothing on even entries and `keys` in turn on odd ones;
// it asks for a few draws.
inline void writeStorySeed(const std::string& dir, const std::string& name, const std::string& script,
                    const std::vector<uint8_t>& keys, int hold) {
  story::StoryFiles files;
  std::string error;
  if (!story::compileStory(script, files, &error)) {
    std::fprintf(stderr, "seed %s: %s\n", name.c_str(), error.c_str());
    std::exit(1);
  }
  Params p;
  p.chartPos = iniValue(files.ini, "CHART", 0);
  p.linkPos = iniValue(files.ini, "LINK", 0);
  p.max = iniValue(files.ini, "MAX", 0);
  p.address = iniValue(files.ini, "ADDRESS", 0);
  p.start = iniValue(files.ini, "START", 0);
  p.namePos = iniValue(files.ini, "NAME", 0);
  p.chars = iniValue(files.ini, "CHAR", 0);
  p.hold = hold;
  for (int i = 0; i < kPatternKeys; ++i) p.keys[i] = i % 2 && !keys.empty() ? keys[(i / 2) % keys.size()] : 0;
  // Draws after the first steps of three entries and at the end.
  for (int i : {0, 5, 10}) p.keys[i] |= 0x40;
  p.keys[kPatternKeys - 1] |= 0x80;
  p.eventBytes = files.event.size();
  std::vector<uint8_t> front(files.event.begin(), files.event.end());
  front.insert(front.end(), files.startup.begin(), files.startup.end());
  fuzz::Tail t;
  writeParams(t, p);
  fuzz::writeSeed(dir, name, t.input(front));
}

inline void writeSeeds(const std::string& dir) {
  writeStorySeed(dir, "tour", R"(character 1 aki "Aki"
character 2 ben "Ben"
chart one -> two three two
image AAAA zoom
window open
face aki 0
voice 001
say aki "Hello\nthere\nfriend\nagain"
voice next
text "\cA \\ b"
choice "left" "right" "up"
branch
chart two -> three
image BBBB pan-up
shake 1
face ben 0
face aki hide
say ben "Two"
fade white
fade from-white
flash
wait 3
image AAAA rise
image BBBB drop
image AAAA slide-right
image BBBB slide-left
image AAAA pan-down
image BBBB swap
jump
chart three
speaker "Inline"
voice next5
window close
image remove
fade out
fade in
)", {KEY_DECIDE, KEY_DOWN, KEY_DECIDE, KEY_UP}, 3);
  writeStorySeed(dir, "loop", R"(chart zero = 0 -> zero
branch
)", {}, 1);
  writeStorySeed(dir, "raw", R"(character 1 "A"
chart one -> one
nop
raw 0x01 0x01 0x20 0x8F 0x04 0x90 0x05 0x91 0x02
text "x"
raw 0x82
)", {KEY_DECIDE}, 1);
}

}  // namespace gamefuzz
