// The save file: what goes in comes out, and every kind of bad file is told
// apart and refused without touching the output.
#include <gtest/gtest.h>

#include <cstring>

#include "save/Bytes.h"
#include "save/SaveFile.h"

namespace {

using save::SaveData;
using save::SaveProblem;

constexpr uint64_t kStory = 0x0123456789ABCDEFull;

SaveData sample() {
  SaveData d;
  d.storyId = kStory;
  d.savedAt = 1700000000;
  d.label = "\x81\x79\x83\x41\x83\x4A\x83\x8A\x81\x7A hello";
  d.thumb.width = save::Thumbnail::kWidth;
  d.thumb.height = save::Thumbnail::kHeight;
  for (int i = 0; i < d.thumb.width * d.thumb.height * 3; ++i) d.thumb.rgb.push_back(static_cast<uint8_t>(i * 7));
  save::StorySnapshot& s = d.state;
  save::GameValues& gv = s.game;
  gv.phase = 50;
  gv.eyesstate = 300;
  gv.mouthstate = 60;
  gv.face_site = 1;
  gv.eyes = 2;
  gv.mouth = 1;
  gv.chart = 7;
  gv.fade = 64;
  gv.theta = -20;
  gv.size = 128;
  gv.scrX = -5;
  gv.scrY = 240;
  gv.zoom = 100;
  gv.apearmode = 5;
  gv.scroll = 1;
  s.item[0] = "first";
  s.item[5] = "last";
  s.streamPos = 12345;
  s.hasPicture = s.hasFace = s.hasText = s.hasChoice = true;
  s.text = save::TextState{1, 3, 147, 27, 13, 307, {"\x81\x79name\x81\x7A", "abc", ""}};
  s.choice = save::ChoiceState{4, 2, 1, 3, {"a", "b", "c", "d", "", ""}};
  s.step.key = 0x100010;
  s.step.wait = 3;
  s.step.num = 255;
  s.step.voicenum = 9;
  s.step.old_face = 3;
  s.step.result = 2;
  std::strcpy(s.step.pfname, "E012.PF1");
  std::strcpy(s.step.pcmname, "KI101.PCM");
  std::strcpy(s.step.facename, "FACE0301.PF1");
  s.timing = save::LoopPhase{true, 0xFFFFFFFDu, 4321};
  d.backlog = {{"\x81\x79" "A\x81\x7A", "line one\nline two"}, {"", "narration"}};
  return d;
}

void expectSame(const SaveData& a, const SaveData& b) {
  EXPECT_EQ(a.storyId, b.storyId);
  EXPECT_EQ(a.savedAt, b.savedAt);
  EXPECT_EQ(a.label, b.label);
  EXPECT_EQ(a.thumb.width, b.thumb.width);
  EXPECT_EQ(a.thumb.rgb, b.thumb.rgb);
  EXPECT_EQ(a.backlog, b.backlog);
  const save::StorySnapshot &x = a.state, &y = b.state;
  const save::GameValues &xg = x.game, &yg = y.game;
  EXPECT_EQ(std::vector<int>({xg.phase, xg.eyesstate, xg.mouthstate, xg.face_site, xg.eyes, xg.mouth, xg.chart, xg.fade,
                              xg.theta, xg.size, xg.scrX, xg.scrY, xg.zoom, xg.apearmode, xg.scroll}),
            std::vector<int>({yg.phase, yg.eyesstate, yg.mouthstate, yg.face_site, yg.eyes, yg.mouth, yg.chart, yg.fade,
                              yg.theta, yg.size, yg.scrX, yg.scrY, yg.zoom, yg.apearmode, yg.scroll}));
  EXPECT_EQ(x.item, y.item);
  EXPECT_EQ(x.streamPos, y.streamPos);
  EXPECT_EQ(x.hasPicture, y.hasPicture);
  EXPECT_EQ(x.hasFace, y.hasFace);
  EXPECT_EQ(x.hasVoice, y.hasVoice);
  EXPECT_EQ(x.hasText, y.hasText);
  EXPECT_EQ(x.text.lines, y.text.lines);
  EXPECT_EQ(std::vector<int>({x.text.line, x.text.row, x.text.width, x.text.height, x.text.left, x.text.right}),
            std::vector<int>({y.text.line, y.text.row, y.text.width, y.text.height, y.text.left, y.text.right}));
  EXPECT_EQ(x.hasChoice, y.hasChoice);
  EXPECT_EQ(x.choice.items, y.choice.items);
  EXPECT_EQ(std::vector<int>({x.choice.max, x.choice.pos, x.choice.dispPos, x.choice.select}),
            std::vector<int>({y.choice.max, y.choice.pos, y.choice.dispPos, y.choice.select}));
  EXPECT_EQ(std::vector<int>({x.step.key, x.step.wait, x.step.num, x.step.voicenum, x.step.old_face, x.step.result}),
            std::vector<int>({y.step.key, y.step.wait, y.step.num, y.step.voicenum, y.step.old_face, y.step.result}));
  EXPECT_STREQ(x.step.pfname, y.step.pfname);
  EXPECT_STREQ(x.step.pcmname, y.step.pcmname);
  EXPECT_STREQ(x.step.facename, y.step.facename);
  EXPECT_EQ(x.timing.valid, y.timing.valid);
  EXPECT_EQ(x.timing.deadlineAhead, y.timing.deadlineAhead);
  EXPECT_EQ(x.timing.audioElapsed, y.timing.audioElapsed);
}

// Re-seals a changed file: the checksum made right for its new bytes.
void reseal(std::vector<uint8_t>& f) {
  const uint32_t crc = save::crc32Of(f.data() + save::kHeaderBytes, f.size() - save::kHeaderBytes,
                                     save::crc32Of(f.data(), save::kHeaderBytes - 4));
  for (int i = 0; i < 4; ++i) f[24 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

}  // namespace

TEST(SaveFile, EverythingWrittenIsReadBack) {
  const SaveData d = sample();
  const std::vector<uint8_t> f = save::encodeSave(d);
  ASSERT_EQ(std::memcmp(f.data(), "LMPSAVE\x1A", 8), 0);
  EXPECT_EQ(f[8] | f[9] << 8, save::kSaveVersion);
  SaveData back;
  ASSERT_EQ(save::decodeSave(f.data(), f.size(), kStory, back), SaveProblem::None);
  expectSame(d, back);
}

TEST(SaveFile, EveryCutIsRefusedAsShortOrNotASave) {
  const std::vector<uint8_t> f = save::encodeSave(sample());
  for (size_t n = 0; n < f.size(); ++n) {
    SaveData out;
    out.label = "untouched";
    const SaveProblem p = save::decodeSave(f.data(), n, kStory, out);
    ASSERT_EQ(p, SaveProblem::Truncated) << n;
    ASSERT_EQ(out.label, "untouched");
  }
}

TEST(SaveFile, EveryFlippedBitIsCaught) {
  const std::vector<uint8_t> good = save::encodeSave(sample());
  for (size_t i = 0; i < good.size(); ++i) {
    std::vector<uint8_t> f = good;
    f[i] ^= static_cast<uint8_t>(1u << (i % 8));
    SaveData out;
    const SaveProblem p = save::decodeSave(f.data(), f.size(), kStory, out);
    ASSERT_NE(p, SaveProblem::None) << "byte " << i;
    if (i < 8) EXPECT_EQ(p, SaveProblem::NotASave) << i;
    else if (i < 10) EXPECT_EQ(p, SaveProblem::OtherVersion) << i;
    else if (i >= 20 && i < 24) EXPECT_TRUE(p == SaveProblem::Truncated || p == SaveProblem::Damaged) << i;
    else EXPECT_EQ(p, SaveProblem::Damaged) << i;
  }
}

TEST(SaveFile, OtherStoriesExtraBytesAndImplausibleValuesAreRefused) {
  std::vector<uint8_t> f = save::encodeSave(sample());
  SaveData out;
  EXPECT_EQ(save::decodeSave(f.data(), f.size(), kStory + 1, out), SaveProblem::OtherStory);

  std::vector<uint8_t> longer = f;
  longer.push_back(0);
  EXPECT_EQ(save::decodeSave(longer.data(), longer.size(), kStory, out), SaveProblem::Damaged);

  // Sealed files whose values the story could not have produced.
  auto refusedWith = [&](auto change) {
    SaveData d = sample();
    change(d);
    std::vector<uint8_t> g = save::encodeSave(d);
    reseal(g);
    SaveData o;
    return save::decodeSave(g.data(), g.size(), kStory, o);
  };
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.game.phase = 32; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.text.row = 300; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.text.left = 5; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.choice.select = 2; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.choice.max = 7; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.step.wait = -1; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.step.result = 6; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.hasChoice = false; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.thumb.rgb.pop_back(); }), SaveProblem::Damaged);
  // Only the documented size: a larger picture would cover the Load screen.
  EXPECT_EQ(refusedWith([](SaveData& d) {
              d.thumb.width = 320;
              d.thumb.height = 240;
              d.thumb.rgb.assign(320 * 240 * 3, 1);
            }),
            SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) {
              d.thumb.width = 0;
              d.thumb.height = 0;
              d.thumb.rgb.clear();
            }),
            SaveProblem::None)
      << "no thumbnail at all";
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.game.fade = 128; }), SaveProblem::Damaged);
  EXPECT_EQ(refusedWith([](SaveData& d) { d.state.game.phase = 21; }), SaveProblem::None);
}

TEST(SaveFile, OverlongNamesInTheFileAreRefused) {
  // A file name as long as its buffer leaves no room for the terminator.
  SaveData d = sample();
  std::vector<uint8_t> f = save::encodeSave(d);
  const std::string name = "E012.PF1";
  auto at = std::search(f.begin(), f.end(), name.begin(), name.end());
  ASSERT_NE(at, f.end());
  const size_t pos = static_cast<size_t>(at - f.begin());
  std::vector<uint8_t> g(f.begin(), f.begin() + static_cast<long>(pos) - 2);
  g.push_back(9);
  g.push_back(0);
  for (char c : std::string("E012.PF1X")) g.push_back(static_cast<uint8_t>(c));
  g.insert(g.end(), f.begin() + static_cast<long>(pos + name.size()), f.end());
  const uint32_t len = static_cast<uint32_t>(g.size() - save::kHeaderBytes);
  for (int i = 0; i < 4; ++i) g[20 + i] = static_cast<uint8_t>(len >> (8 * i));
  reseal(g);
  SaveData out;
  EXPECT_EQ(save::decodeSave(g.data(), g.size(), kStory, out), SaveProblem::Damaged);
}

TEST(SaveFile, TheChecksumIsTheUsualCrc32) {
  const std::string check = "123456789";
  const auto* p = reinterpret_cast<const uint8_t*>(check.data());
  EXPECT_EQ(save::crc32Of(p, check.size()), 0xCBF43926u);
  // Continued over two pieces, the same as over the whole.
  EXPECT_EQ(save::crc32Of(p + 4, 5, save::crc32Of(p, 4)), 0xCBF43926u);
  EXPECT_EQ(save::crc32Of(p, 0), 0u);
}

TEST(SaveFile, ReaderStopsAtItsEnd) {
  const uint8_t bytes[] = {3, 0, 'a', 'b'};
  save::ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.str(10), "");  // says 3 bytes, holds 2
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.u32(), 0u);
  save::ByteReader capped(bytes, sizeof bytes);
  capped.u8();
  capped.u8();
  EXPECT_EQ(capped.u16(), static_cast<uint32_t>('a' | 'b' << 8));
  EXPECT_TRUE(capped.atEnd());
}
