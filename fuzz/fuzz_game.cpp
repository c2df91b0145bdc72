// Fuzzes the story scene: a Game built from fuzzed "EVENT.BIN",
// "ASTARTUP.BIN" and INI values, stepped up to kMaxSteps times with a fuzzed
// key pattern, and drawn after every step that leads to a screen not drawn
// before in the run (drawing changes no state and depends only on what the
// screen signature holds, so redrawing a screen would run the same code on
// the same values; long waits and loops stay cheap this way). Pictures, a face, a voice bank, the
// system bank and a font lie beside the fuzzed files (made at start-up by the
// project's encoders) so that scenarios naming them load real data.
//
// Input: EVENT.BIN (its length taken from the input's end) then ASTARTUP.BIN
// (the rest of the front); from the end: the INI values, the key pattern.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "game/Game.h"
#include "graphics/graphicDevice.h"
#include "platform/Audio.h"
#include "shell/Key.h"
#include "sound/Sound.h"
#include "sound/zepl.h"
#include "tools/author/bank_file.h"
#include "tools/author/pf1_codec.h"
#include "tools/author/story_compiler.h"

namespace {

constexpr int kMaxSteps = 3000;
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

Params readParams(FuzzedDataProvider& in) {
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

void writeParams(fuzz::Tail& t, const Params& p) {
  t.put<int16_t>(p.chartPos).put<int16_t>(p.linkPos).put<int16_t>(p.max).put<int32_t>(p.address);
  t.put<int16_t>(p.start).put<int16_t>(p.namePos).put<int16_t>(p.chars);
  t.flag(p.withFreq).put<int32_t>(p.freq).inRange(p.hold, 1, 16);
  for (uint8_t k : p.keys) t.put<uint8_t>(k);
  t.put<uint16_t>(static_cast<uint16_t>(p.eventBytes));
}

std::vector<uint16_t> pattern(int w, int h, uint16_t a, uint16_t b) {
  std::vector<uint16_t> words(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) words[static_cast<size_t>(y) * w + x] = ((x / 4 + y / 4) % 2) ? a : b;
  return words;
}

void writeBytes(const char* name, const std::vector<unsigned char>& bytes) {
  if (!fuzz::writeFile(name, bytes.data(), bytes.size())) std::abort();
}

// The data files a scenario may name, beside the fuzzed ones.
void writeSupportFiles() {
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

// Everything Game::draw reads, folded into one number.
struct Signature {
  uint64_t h = 1469598103934665603ULL;
  Signature& add(long long v) {
    for (int i = 0; i < 8; ++i, v >>= 8) h = (h ^ static_cast<uint8_t>(v)) * 1099511628211ULL;
    return *this;
  }
  Signature& add(const char* s, size_t cap) {
    for (size_t i = 0; i < cap && s[i]; ++i) add(static_cast<unsigned char>(s[i]));
    return add(-1);
  }
};

uint64_t screenOf(const Game& g) {
  Signature s;
  for (const Pf1* p : {static_cast<const Pf1*>(g.pf.get()), static_cast<const Pf1*>(g.oldPf.get()),
                       static_cast<const Pf1*>(g.face.get())})
    s.add(reinterpret_cast<intptr_t>(p)).add(p ? p->width : -1).add(p ? p->height : -1);
  s.add(g.scroll).add(g.fade).add(g.scrX).add(g.scrY).add(g.apearmode).add(g.zoom);
  s.add(g.size).add(g.theta).add(g.face_site).add(g.eyes).add(g.mouth);
  if (g.text) {
    s.add(g.text->width).add(g.text->height).add(g.text->line).add(g.text->row);
    for (const char* line : g.text->data) s.add(line, 256);
  }
  if (g.select) {
    s.add(g.select->width).add(g.select->max).add(g.select->pos).add(g.select->dispPos).add(g.select->select);
    s.add(g.select->left).add(g.select->right);
    for (const char* item : g.select->item) s.add(item ? item : "", 50);
  }
  s.add(g.text != nullptr).add(g.select != nullptr);
  return s.h;
}

// ------------------------------------------------------------------ seeds

// The INI value of `key` in compiled INI text, or `def`.
int iniValue(const std::string& ini, const std::string& key, int def) {
  std::istringstream lines(ini);
  std::string line;
  while (std::getline(lines, line))
    if (line.compare(0, key.size() + 1, key + "=") == 0) return std::stoi(line.substr(key.size() + 1));
  return def;
}

// The key pattern presses nothing on even entries and `keys` in turn on odd ones.
void writeStorySeed(const std::string& dir, const std::string& name, const std::string& script,
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
  p.eventBytes = files.event.size();
  std::vector<uint8_t> front(files.event.begin(), files.event.end());
  front.insert(front.end(), files.startup.begin(), files.startup.end());
  fuzz::Tail t;
  writeParams(t, p);
  fuzz::writeSeed(dir, name, t.input(front));
}

void writeSeeds(const std::string& dir) {
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InWorkDir here;
  static ZegDevice zeg(320, 240, 24);
  static platform::HeadlessAudio audio;
  static uint32_t now = 0;  // virtual audio time never runs backwards
  static const bool ready = [] {
    writeSupportFiles();
    platform::setAudioBackend(&audio);
    return true;
  }();
  (void)ready;
  if (zeg.checkError()) return 0;

  FuzzedDataProvider in(data, size);
  const Params p = readParams(in);
  const std::vector<uint8_t> event = in.ConsumeBytes<uint8_t>(p.eventBytes);
  const std::vector<uint8_t> startup = in.ConsumeRemainingBytes<uint8_t>();

  std::string ini = "[DOROVANKA]\n";
  const std::pair<const char*, int> keys[] = {{"CHART", p.chartPos}, {"LINK", p.linkPos}, {"MAX", p.max},
                                              {"ADDRESS", p.address}, {"START", p.start}, {"NAME", p.namePos},
                                              {"CHAR", p.chars}};
  for (const auto& [key, value] : keys) ini += std::string(key) + "=" + std::to_string(value) + "\n";
  if (p.withFreq) ini += "FREQ=" + std::to_string(p.freq) + "\n";
  if (!fuzz::writeText("kirune.ini", ini) || !fuzz::writeFile("EVENT.BIN", event.data(), event.size()) ||
      !fuzz::writeFile("ASTARTUP.BIN", startup.data(), startup.size()))
    return 0;

  Game::resetStepState();
  KeyReset();
  fileUtilsReset();
  ZEPL_Init(nullptr);
  {
    Sound se(0, "SYS01.PCM", 1);
    Game game;
    int held = 0;
    std::set<uint64_t> drawn;
    for (int i = 0; i < kMaxSteps; ++i) {
      const int want = p.keys[(i / p.hold) % kPatternKeys] & 0x3F;
      KeyUp(held & ~want);
      KeyDown(want);
      held = want;
      const int r = game.main(&se);
      if (drawn.insert(screenOf(game)).second) game.draw(&zeg);
      if (r == -1) {  // stopped: nothing changes any more
        if (std::getenv("LM_FUZZ_TRACE")) std::printf("stopped after %d steps, %zu screens\n", i + 1, drawn.size());
        break;
      }
      now += kStepMs;
      if (i % 4 == 3) audio.advanceTo(now);
    }
    if (std::getenv("LM_FUZZ_TRACE")) std::printf("phase %d chart %d, %zu screens\n", game.phase, game.chart, drawn.size());
  }
  ZEPL_Trash();
  KeyReset();
  return 0;
}
