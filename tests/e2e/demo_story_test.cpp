// The demo story as a player meets it: the real lmplayer, headless, plays the
// built demo-data through both language routes to the end, answering every
// choice with scripted keys; the frames it saves are checked against the
// demo's own source pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "PlayerRun.h"
#include "TraceFile.h"
#include "game/Face.h"
#include "graphics/Pf1.h"
#include "shell/FileUtils.h"
#include "tools/author/story_bytecode.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

// The build tree: LM_BINARY_DIR, or else the folder above this test program
// (tests/test_e2e), so the test also runs when started by hand.
std::string buildDir() {
  const char* env = std::getenv("LM_BINARY_DIR");
  if (env && *env) return env;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? binaryDir() : self.parent_path().parent_path().string();
}
std::string player() { return buildDir() + "/lmplayer"; }
std::string dataDir() { return buildDir() + "/demo-data"; }
std::string artDir() { return sourceDir() + "/demo/art"; }

// ---- the trace: "STEP SCENE [phase P chart C]" per logic step

using Step = TraceStep;

// Steps on which a run of `phase` begins inside the story (optionally in one chart).
std::vector<long> runsOf(const std::vector<Step>& t, int phase, int chart = -1) {
  std::vector<long> starts;
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i].scene == "game" && t[i].phase == phase && (chart < 0 || t[i].chart == chart) &&
        (i == 0 || t[i - 1].phase != phase))
      starts.push_back(t[i].n);
  return starts;
}

// The last step of the run of one phase that begins on step `start`.
long runEnd(const std::vector<Step>& t, long start) {
  size_t i = 0;
  while (i < t.size() && t[i].n != start) ++i;
  while (i + 1 < t.size() && t[i + 1].phase == t[i].phase) ++i;
  return i < t.size() ? t[i].n : start;
}

std::vector<int> chartsVisited(const std::vector<Step>& t) {
  std::vector<int> charts;
  for (const Step& s : t)
    if (s.scene == "game" && s.chart >= 0 && (charts.empty() || charts.back() != s.chart)) charts.push_back(s.chart);
  return charts;
}

// The trace up to the story's return to its first chart after the closing card (24).
std::vector<Step> firstPass(std::vector<Step> t) {
  bool closed = false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].scene != "game") continue;
    if (t[i].chart == 24) closed = true;
    if (closed && t[i].chart == 1) {
      t.resize(i + 1);
      break;
    }
  }
  return t;
}

// ---- scripted keys: Enter every 20 steps; Down taps where a choice wants them

class Keys {
 public:
  explicit Keys(long until) {
    for (long s = 100; s < until; s += 20) events_[s] = "enter";
  }
  // At a choice that opened on step `open`: `downs` taps of Down, then Enter.
  void answer(long open, int downs) {
    long last = open + 2 * downs + 4;
    for (auto it = events_.lower_bound(open + 1); it != events_.end() && it->first <= last + 16;)
      it = events_.erase(it);
    for (int k = 1; k <= downs; ++k) events_[open + 2 * k] = "down";
    events_[last] = "enter";
  }
  std::string list() const {
    std::string s;
    for (const auto& [step, key] : events_) s += (s.empty() ? "" : ",") + std::to_string(step) + ":" + key;
    return s;
  }

 private:
  std::map<long, std::string> events_;
};

constexpr long kLimit = 9000;  // steps; each route ends well before this

struct Played {
  std::vector<Step> trace;
  std::string keys;
  std::string err;
  int code = -1;
};

// Plays the story answering its choices in order with the given item indices.
// A choice's opening step is only known once the story has reached it, so the
// story is replayed once per answer that needs Down keys (the timeline up to
// that choice is the same every time: time is virtual).
Played playRoute(const std::vector<int>& answers, const std::string& cwd, const std::string& extra = "") {
  Keys keys(kLimit);
  size_t answered = 0;
  Played p;
  for (int attempt = 0; attempt < 8; ++attempt) {
    PlayerResult r = runProgram(player(), "--data '" + dataDir() + "' --headless --steps " + std::to_string(kLimit) +
                                   " --trace '" + cwd + "/trace.txt' --input " + keys.list() + " " + extra,
                               cwd);
    p.trace = firstPass(readTraceFile(cwd + "/trace.txt"));
    p.keys = keys.list();
    p.err = r.err;
    p.code = r.code;
    std::vector<long> choices = runsOf(p.trace, 50);
    bool replay = false;
    while (answered < answers.size() && answered < choices.size()) {
      if (answers[answered] > 0) {
        keys.answer(choices[answered], answers[answered]);
        replay = true;
      }
      ++answered;
      if (replay) break;
    }
    if (!replay) break;
  }
  return p;
}

// ---- pictures

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
  std::vector<int> at(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * w + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
  }
  bool opaque(int x, int y) const { return rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] >= 128; }
};

Image readArt(const std::string& rel) {
  Image img;
  std::string why;
  EXPECT_TRUE(platform::readPngRgba(artDir() + "/" + rel, img.w, img.h, img.rgba, &why)) << rel << ": " << why;
  return img;
}

Image stacked(const Image& top, const Image& bottom) {
  Image img = top;
  img.h += bottom.h;
  img.rgba.insert(img.rgba.end(), bottom.rgba.begin(), bottom.rgba.end());
  return img;
}

// The player's data directory as the working directory, for its own loaders.
class InDataDir {
 public:
  InDataDir() : previous_(fs::current_path()) {
    fs::current_path(dataDir());
    fileUtilsReset();
  }
  ~InDataDir() {
    fs::current_path(previous_);
    fileUtilsReset();
  }

 private:
  fs::path previous_;
};

std::map<std::string, std::string> readIni(const std::string& path) {
  std::map<std::string, std::string> keys;
  for (std::string l : lines(slurp(path))) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    size_t eq = l.find('=');
    if (eq != std::string::npos) keys[l.substr(0, eq)] = l.substr(eq + 1);
  }
  return keys;
}

std::string dirOf(const std::map<std::string, std::string>& ini, const std::string& key) {
  auto it = ini.find(key);
  std::string d = it == ini.end() ? ".\\" : it->second;
  std::replace(d.begin(), d.end(), '\\', '/');
  return dataDir() + "/" + d;
}

uint32_t be32(const Bytes& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3]
                            : 0;
}

class DemoStory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fileExists(player())) << "lmplayer is not built";
    ASSERT_TRUE(fileExists(dataDir() + "/kirune.ini")) << "demo-data is not built (target demo_data)";
  }
  ScratchDir dir;
};

// Chart numbers follow the order of the charts in demo/story/kirune.story.
// After the closing card (24) the story starts again at the language choice (1).
const std::vector<int> kJapaneseCharts = {1, 2, 4, 5, 7, 9, 10, 12, 24, 1};  // harbour, a gift, the promise
const std::vector<int> kEnglishCharts = {1, 13, 14, 16, 19, 20, 22, 23, 24, 1};  // the path, nothing, staying

TEST_F(DemoStory, JapaneseRouteReachesTheEndWithoutAChartError) {
  Played p = playRoute({0, 1, 2, 0}, dir.path());
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_EQ(p.err.find("CHART ERROR"), std::string::npos) << p.err;
  ASSERT_FALSE(p.trace.empty());
  EXPECT_EQ(chartsVisited(p.trace), kJapaneseCharts) << p.keys;
  EXPECT_EQ(runsOf(p.trace, 50).size(), 4u);
}

TEST_F(DemoStory, EnglishRouteReachesTheEndWithoutAChartError) {
  Played p = playRoute({1, 0, 5, 1}, dir.path());
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_EQ(p.err.find("CHART ERROR"), std::string::npos) << p.err;
  ASSERT_FALSE(p.trace.empty());
  EXPECT_EQ(chartsVisited(p.trace), kEnglishCharts) << p.keys;
}

// Every file the story names is there and loads in the player's own loaders.
TEST_F(DemoStory, EveryReferencedFileExistsAndLoads) {
  auto ini = readIni(dataDir() + "/kirune.ini");
  Bytes event = readFile(dirOf(ini, "ROOTDIR") + "EVENT.BIN");
  ASSERT_FALSE(event.empty());
  const long chartPos = std::stol(ini["CHART"]), max = std::stol(ini["MAX"]);
  const long address = ini.count("ADDRESS") ? std::stol(ini["ADDRESS"]) : 0;
  ASSERT_GT(max, 0);

  std::set<std::string> pictures, faces;
  std::map<std::string, int> clipsNeeded;  // voice bank -> clips a chart plays from it
  for (long c = 0; c < max; ++c) {
    size_t pos = be32(event, chartPos + 4 * c) - address;
    std::string bank;
    int clips = 0;
    story::Instr in;
    while (pos < event.size() && story::decodeInstr(event.data(), pos, event.size(), in)) {
      pos += in.size;
      if (in.op == story::kImage) pictures.insert(std::string(in.args.begin() + 1, in.args.begin() + 5) + ".PF1");
      if (in.op == story::kFace && in.args[1] != 0) {
        char name[16];
        std::snprintf(name, sizeof name, "FACE%02d%02d.PF1", in.args[0], in.args[1] - 1);
        faces.insert(name);
      }
      if (in.op == story::kVoiceBank) {
        bank = "KI" + std::string(in.args.begin(), in.args.begin() + 3) + ".PCM";
        clips = 1;
      }
      if ((in.op == story::kVoiceNext || in.op == story::kVoiceNext5) && !bank.empty()) ++clips;
      if (!bank.empty()) clipsNeeded[bank] = std::max(clipsNeeded[bank], clips);
      if (in.op == story::kBranch) break;
    }
    EXPECT_TRUE(pos >= event.size() || in.op == story::kBranch) << "chart " << c << " has a bad instruction at " << pos;
  }
  EXPECT_EQ(pictures.size(), 8u);
  EXPECT_EQ(faces.size(), 4u);
  EXPECT_EQ(clipsNeeded.size(), 14u);

  for (const char* f : {"LOGO01.PF1", "LOGO02.PF1", "TITLE00.PF1", "SYS011.PF1", "SYS020.PF1", "FONT.FON", "SYS01.PCM"})
    EXPECT_TRUE(fileExists(dirOf(ini, "SYSDIR") + f)) << f;
  EXPECT_TRUE(fileExists(dirOf(ini, "ROOTDIR") + "ASTARTUP.BIN"));
  EXPECT_EQ(readFile(dirOf(ini, "SYSDIR") + "FONT.FON").size(), 253888u);

  for (const auto& [bank, clips] : clipsNeeded) {
    Bytes b = readFile(dirOf(ini, "SYSDIR") + bank);
    if (b.empty()) b = readFile(dirOf(ini, "PCMDIR") + bank);
    ASSERT_FALSE(b.empty()) << bank;
    EXPECT_GE(be32(b, 4), static_cast<uint32_t>(clips)) << bank << " lacks clips the story plays";
  }

  InDataDir here;
  for (const std::string& name : pictures) {
    Pf1 pic(3, name.c_str());
    EXPECT_FALSE(pic.empty()) << name;
    EXPECT_EQ(pic.width, 320) << name;
    EXPECT_EQ(pic.height, name == "E005.PF1" ? 480 : 240) << name;
  }
  for (const std::string& name : faces) {
    Face face(4, name.c_str());
    ASSERT_FALSE(face.empty()) << name;
    EXPECT_EQ(face.width, 64) << name;
    EXPECT_EQ(face.height, 80) << name;
    for (int k = 0; k < 6; ++k) EXPECT_FALSE(face.facedata[k].empty()) << name << " overlay " << k;
  }
  Pf1 select(0, "SYS020.PF1");
  ASSERT_FALSE(select.empty());
  EXPECT_GT(std::count(select.mask.begin(), select.mask.end(), 0), 320 * 100) << "the foreground must let the sea show";
  // The select background scrolls through offsets 0..255 and then jumps back
  // to 0: a picture that repeats every 16 rows shows no seam at either wrap.
  Pf1 sea(0, "SYS011.PF1");
  ASSERT_EQ(sea.data.size(), 320u * 240 * 3);
  const size_t row = 320 * 3;
  int seams = 0;
  for (size_t y = 0; y < 240; ++y)
    seams += !std::equal(sea.data.begin() + y * row, sea.data.begin() + (y + 1) * row,
                         sea.data.begin() + ((y + 16) % 240) * row);
  EXPECT_EQ(seams, 0);
}

// Frames of the Japanese route: the text window with its text, the two faces
// at their sites, a slide half done and the tall night picture mid-pan.
TEST_F(DemoStory, FramesShowWindowFacesAndTransitions) {
  Played p = playRoute({0, 1, 2, 0}, dir.path());
  ASSERT_EQ(p.code, 0) << p.err;
  std::vector<long> waits = runsOf(p.trace, 21, 2);  // messages of the arrival
  ASSERT_GE(waits.size(), 4u);
  std::vector<long> slides = runsOf(p.trace, 35, 4);  // the harbour slides in from the left
  ASSERT_EQ(slides.size(), 1u);
  std::vector<long> pans = runsOf(p.trace, 38, 9);  // the night sky, pan up
  ASSERT_EQ(pans.size(), 1u);
  const long narration = waits[0] + 2, akari = waits[2] + 2, sora = waits[3] + 2;
  const long slide = slides[0] + 30, pan = runEnd(p.trace, pans[0]) - 100;

  std::string shots;
  for (auto [step, name] : std::vector<std::pair<long, const char*>>{
           {narration, "text"}, {akari, "akari"}, {sora, "sora"}, {slide, "slide"}, {pan, "pan"}})
    shots += " --shot " + std::to_string(step) + ":" + dir.path() + "/" + name + ".png";
  PlayerResult r = runProgram(player(), "--data '" + dataDir() + "' --headless --steps " + std::to_string(pan + 1) +
                                 " --input " + p.keys + shots,
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;

  // The open text window: dark and bright yellow bands down its left edge,
  // its dark top line, and light text typed inside it.
  Shot text = readShot(dir.path() + "/text.png");
  ASSERT_TRUE(text.ok);
  EXPECT_EQ(text.at(8, 190), (std::vector<int>{192, 192, 0}));
  EXPECT_EQ(text.at(9, 190), (std::vector<int>{240, 240, 0}));
  EXPECT_EQ(text.at(10, 190), (std::vector<int>{240, 240, 0}));
  EXPECT_EQ(text.at(11, 190), (std::vector<int>{192, 192, 0}));
  EXPECT_EQ(text.at(160, 161), (std::vector<int>{192, 192, 0}));
  int ink = 0;
  for (int y = 169; y < 217; ++y)
    for (int x = 16; x < 306; ++x) ink += text.at(x, y) == std::vector<int>{240, 240, 224};
  EXPECT_GT(ink, 200) << "no text in the window (is FONT.FON there?)";

  // Faces: every pixel that only the base layer draws shows on screen at the
  // face's site, Akari (character 1, surprised) left, Sora (character 2) right.
  auto checkFace = [&](const std::string& shotName, const std::string& face, int centre) {
    Shot s = readShot(dir.path() + "/" + shotName + ".png");
    ASSERT_TRUE(s.ok);
    Image base = readArt("face/" + face + "/0-base.png");
    std::vector<Image> overlays;
    for (const char* l : {"1-mouth0", "2-mouth1", "3-mouth2", "4-eyes0", "5-eyes1", "6-eyes2"})
      overlays.push_back(readArt("face/" + face + "/" + l + ".png"));
    int checked = 0, wrong = 0;
    for (int y = 0; y < base.h; ++y)
      for (int x = 0; x < base.w; ++x) {
        bool covered = false;
        for (const Image& o : overlays) covered = covered || o.opaque(x, y);
        if (!base.opaque(x, y) || covered) continue;
        ++checked;
        wrong += s.at(centre - base.w / 2 + x, 121 - base.h / 2 + y) != base.at(x, y);
      }
    EXPECT_GT(checked, 2000) << face;
    EXPECT_EQ(wrong, 0) << face << " is not drawn whole at column " << centre;
  };
  checkFace("akari", "FACE0101", 37);
  checkFace("sora", "FACE0200", 285);

  // The slide: the harbour's right part on the left, the town still on the right.
  Shot slideShot = readShot(dir.path() + "/slide.png");
  ASSERT_TRUE(slideShot.ok);
  Image town = readArt("ev/E001.png"), harbour = readArt("ev/E002.png");
  int split = -1;
  for (int s = 1; s < 320 && split < 0; ++s) {
    bool match = true;
    for (int y = 0; y < 240 && match; y += 7)
      for (int x = 0; x < 320 && match; x += 3)
        match = slideShot.at(x, y) == (x < s ? harbour.at(320 - s + x, y) : town.at(x, y));
    if (match) split = s;
  }
  EXPECT_GT(split, 100) << "no half-done slide found";
  EXPECT_LT(split, 220);

  // The pan: a 240-row window into the 480-row night picture, neither at its
  // top nor at its bottom.
  Shot panShot = readShot(dir.path() + "/pan.png");
  ASSERT_TRUE(panShot.ok);
  Image sky = stacked(readArt("ev/E005a.png"), readArt("ev/E005b.png"));
  int offset = -1;
  for (int o = 0; o <= 240 && offset < 0; ++o) {
    bool match = true;
    for (int y = 0; y < 240 && match; y += 5)
      for (int x = 0; x < 320 && match; x += 4) match = panShot.at(x, y) == sky.at(x, o + y);
    if (match) offset = o;
  }
  EXPECT_GT(offset, 0) << "the screen is not a part of the tall picture";
  EXPECT_LT(offset, 240);
}

}  // namespace
}  // namespace lmtest
