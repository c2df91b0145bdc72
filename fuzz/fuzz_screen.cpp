// Fuzzes the composed story screen: Game::draw over a fuzzed state of the
// kind the interpreter leaves: background and old picture (chosen among
// pictures of many shapes, or decoded from the input), transition mode and
// counters, fade, shake, a face at any scale and angle, a text window at any
// point of its opening or closing holding fuzzed lines, and a choice window
// with fuzzed items and cursor moves. The values stay within what the
// interpreter can reach (apearmode is any operand byte).
//
// Input: from the end, the state (readState's order); from the front, the
// text bytes, the item texts and an optional PF1 file for the background.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/GameFuzz.h"
#include "game/Game.h"
#include "graphics/graphicDevice.h"
#include "tools/author/pf1_codec.h"

namespace {

// Pictures by number: 0 none, 7 the one decoded from the input, others from files.
const char* const kPictures[] = {nullptr, "AAAA.PF1", "BBBB.PF1", "FULL.PF1", "TALL.PF1", "WIDE.PF1", "DOT.PF1", nullptr,
                                 "NONE.PF1"};
constexpr int kPictureCount = sizeof kPictures / sizeof kPictures[0];
constexpr int kFromInput = 7;

struct State {
  int pf = 0, oldPf = 0;
  int fade = 64, scroll = 0, scrX = 0, scrY = 0, zoom = 0, apearmode = 0;
  bool face = false;
  int size = 128, theta = 0, faceSite = 0, eyes = 0, mouth = 0;
  bool text = false;
  int opens = 0, closes = 0, textBytes = 0;
  bool select = false;
  int items = 0, itemBytes[8] = {}, moves = 0;
  uint16_t moveBits = 0;
  int pictureBytes = 0;
};

State readState(FuzzedDataProvider& in) {
  State s;
  s.pf = in.ConsumeIntegralInRange(0, kPictureCount - 1);
  s.oldPf = in.ConsumeIntegralInRange(0, kPictureCount - 1);
  s.fade = in.ConsumeIntegralInRange(0, 127);
  s.scroll = in.ConsumeBool();
  s.scrX = in.ConsumeIntegralInRange(-330, 650);
  s.scrY = in.ConsumeIntegralInRange(-250, 490);
  s.zoom = in.ConsumeIntegralInRange(0, 106);
  s.apearmode = in.ConsumeIntegral<uint8_t>();
  s.face = in.ConsumeBool();
  s.size = in.ConsumeIntegralInRange(-10, 138);
  s.theta = in.ConsumeIntegral<int16_t>();
  s.faceSite = in.ConsumeIntegralInRange(0, 1);
  s.eyes = in.ConsumeIntegralInRange(0, 2);
  s.mouth = in.ConsumeIntegralInRange(0, 2);
  s.text = in.ConsumeBool();
  s.opens = in.ConsumeIntegralInRange(0, 30);
  s.closes = in.ConsumeIntegralInRange(0, 30);
  s.textBytes = in.ConsumeIntegralInRange(0, 900);
  s.select = in.ConsumeBool();
  s.items = in.ConsumeIntegralInRange(0, 7);
  for (int& n : s.itemBytes) n = in.ConsumeIntegralInRange(0, 60);
  s.moves = in.ConsumeIntegralInRange(0, 16);
  s.moveBits = in.ConsumeIntegral<uint16_t>();
  s.pictureBytes = in.ConsumeIntegralInRange(0, 60000);
  return s;
}

void writeState(fuzz::Tail& t, const State& s) {
  t.inRange(s.pf, 0, kPictureCount - 1).inRange(s.oldPf, 0, kPictureCount - 1).inRange(s.fade, 0, 127);
  t.flag(s.scroll).inRange(s.scrX, -330, 650).inRange(s.scrY, -250, 490).inRange(s.zoom, 0, 106);
  t.put<uint8_t>(static_cast<uint8_t>(s.apearmode)).flag(s.face).inRange(s.size, -10, 138);
  t.put<int16_t>(static_cast<int16_t>(s.theta)).inRange(s.faceSite, 0, 1).inRange(s.eyes, 0, 2).inRange(s.mouth, 0, 2);
  t.flag(s.text).inRange(s.opens, 0, 30).inRange(s.closes, 0, 30).inRange(s.textBytes, 0, 900);
  t.flag(s.select).inRange(s.items, 0, 7);
  for (int n : s.itemBytes) t.inRange(n, 0, 60);
  t.inRange(s.moves, 0, 16).put<uint16_t>(s.moveBits).inRange(s.pictureBytes, 0, 60000);
}

void writePictures() {
  using gamefuzz::pattern;
  gamefuzz::writeSupportFiles();  // AAAA, BBBB, FACE0100 among them
  gamefuzz::writeBytes("FULL.PF1", author::encodePf1(320, 240, {pattern(320, 240, 0x801F, 0x83E0)}));
  gamefuzz::writeBytes("TALL.PF1", author::encodePf1(320, 240, {pattern(320, 240, 0x7C00, 0),
                                                                pattern(320, 240, 0x8000, 0x7FFF)}));
  gamefuzz::writeBytes("WIDE.PF1", author::encodePf1(700, 100, {pattern(700, 100, 0x801F, 0)}));
  gamefuzz::writeBytes("DOT.PF1", author::encodePf1(1, 1, {{0xFFFF}}));
}

std::unique_ptr<Pf1> picture(int n, const std::vector<uint8_t>& file) {
  if (n == 0) return nullptr;
  if (n == kFromInput) {
    auto p = std::make_unique<Pf1>(0, nullptr);
    if (!fuzz::pictureTooSlow(file, 1)) p->loadFromMemory(file.data(), file.size());
    return p;
  }
  return std::make_unique<Pf1>(3, kPictures[n]);
}

// Text bytes: 0x01 starts the next line, 0x02 clears the window, others are printed.
void fillText(Text& t, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) {
    if (b == 0x01) t.nextLine();
    else if (b == 0x02) t.clear();
    else t.print(b);
  }
}

void writeSeeds(const std::string& dir) {
  auto seed = [&](const char* name, const State& s, const std::string& text, const std::vector<std::string>& items) {
    State st = s;
    std::vector<uint8_t> front(text.begin(), text.end());
    st.textBytes = static_cast<int>(text.size());
    for (size_t i = 0; i < items.size() && i < 8; ++i) {
      st.itemBytes[i] = static_cast<int>(items[i].size());
      front.insert(front.end(), items[i].begin(), items[i].end());
    }
    fuzz::Tail t;
    writeState(t, st);
    fuzz::writeSeed(dir, name, t.input(front));
  };
  State plain;
  plain.pf = 3;
  plain.face = true;
  plain.text = true;
  plain.opens = 27;
  seed("story", plain, "\x81\x79" "Aki\x81\x7A\x01" "Hello\x01\x82\xA0\x82\xA2", {});
  for (int mode = 1; mode <= 7; ++mode) {
    State s;
    s.pf = mode % 2 ? 4 : 1;
    s.oldPf = 3;
    s.apearmode = mode;
    s.scrX = mode * 40;
    s.scrY = mode * 30;
    s.zoom = 50;
    s.fade = 40;
    seed(("transition" + std::to_string(mode)).c_str(), s, "", {});
  }
  State choice;
  choice.pf = 5;
  choice.scroll = 1;
  choice.scrX = 5;
  choice.select = true;
  choice.items = 5;
  choice.moves = 6;
  choice.moveBits = 0x2D;
  choice.face = true;
  choice.size = 58;
  choice.theta = 100;
  choice.faceSite = 1;
  seed("choice", choice, "", {"first", "second item", "\x82\xA0\x82\xA2", "4", "five"});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InWorkDir here;
  static ZegDevice zeg(320, 240, 24);
  static const bool ready = [] {
    writePictures();
    // No scenario: the Game is a stopped one whose state the input sets.
    fuzz::writeText("kirune.ini", "[DOROVANKA]\n");
    return true;
  }();
  (void)ready;
  if (zeg.checkError()) return 0;

  FuzzedDataProvider in(data, size);
  const State s = readState(in);
  const std::vector<uint8_t> text = in.ConsumeBytes<uint8_t>(static_cast<size_t>(s.textBytes));
  std::vector<std::string> items;
  for (int n : s.itemBytes) items.push_back(in.ConsumeBytesAsString(static_cast<size_t>(n)));
  const std::vector<uint8_t> file = in.ConsumeBytes<uint8_t>(static_cast<size_t>(s.pictureBytes));

  Game game;
  game.pf = picture(s.pf, file);
  game.oldPf = picture(s.oldPf, file);
  game.fade = s.fade;
  game.scroll = s.scroll;
  game.scrX = s.scrX;
  game.scrY = s.scrY;
  game.zoom = s.zoom;
  game.apearmode = s.apearmode;
  if (s.face && s.size >= 0) game.face = std::make_unique<Face>(4, "FACE0100.PF1");
  game.size = s.size;
  game.theta = s.theta;
  game.face_site = s.faceSite;
  game.eyes = s.eyes;
  game.mouth = s.mouth;
  if (s.text) {
    game.text = std::make_unique<Text>();
    for (int i = 0; i < s.opens && !game.text->open(); ++i) {
    }
    for (int i = 0; i < s.closes && !game.text->close(); ++i) {
    }
    fillText(*game.text, text);
  }
  if (s.select) {
    char* ptrs[8];
    for (int i = 0; i < 8; ++i) ptrs[i] = items[static_cast<size_t>(i)].data();
    game.select = std::make_unique<SelectWindow>(s.items, ptrs);
    for (int i = 0; i < s.moves; ++i) {
      if (s.moveBits >> i & 1) game.select->down();
      else game.select->up();
    }
  }
  game.draw(&zeg);
  return 0;
}
