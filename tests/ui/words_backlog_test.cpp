// Messages into backlog lines, the language guess, and the drawing helpers'
// measures and thumbnails.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/graphicDevice.h"
#include "save/SaveFile.h"
#include "ui/Backlog.h"
#include "ui/Canvas.h"
#include "ui/Words.h"

namespace {

TEST(Backlog, EscapesBecomeLinesAsTheWindowShowedThem) {
  EXPECT_EQ(ui::messageText("one\\ntwo"), "one\ntwo");
  EXPECT_EQ(ui::messageText("\\cfresh"), "fresh") << "a clear at the start adds nothing";
  EXPECT_EQ(ui::messageText("a\\cb"), "a\nb");
  EXPECT_EQ(ui::messageText("a\\n\\cb"), "a\nb") << "no empty line for a clear after a break";
  EXPECT_EQ(ui::messageText("x\\y"), "x\\y");
  // A trail byte that looks like a backslash stays inside its character.
  EXPECT_EQ(ui::messageText("\x95\x5C" "n"), "\x95\x5Cn");
  EXPECT_EQ(ui::messageText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(ui::characterCount("\x82\xA0\x82\xA2\nab"), 4);
}

TEST(Backlog, LinesListSpeakerThenText) {
  std::deque<save::BacklogEntry> e = {{"\x81\x79" "A\x81\x7A", "x\ny"}, {"", "z"}};
  const auto lines = ui::backlogLines(e);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines[0].speaker);
  EXPECT_EQ(lines[1].text, "x");
  EXPECT_EQ(lines[2].text, "y");
  EXPECT_FALSE(lines[3].speaker);
  EXPECT_EQ(ui::slotLabel(e[0]), "\x81\x79" "A\x81\x7Ax y");
}

// The settings' labels leave room for their values ("< 1.50 s >" ends the
// row at x 302 and starts at 222; labels start at 18): the long auto-advance
// labels included, in both languages.
TEST(Words, SettingsLabelsLeaveRoomForTheirValues) {
  for (const ui::Words* w : {&ui::englishWords(), &ui::japaneseWords()})
    for (const char* label : {w->autoPause, w->autoPerChar, w->masterVolume, w->effectVolume, w->scale})
      EXPECT_LE(18 + ui::Canvas::textWidth(label), 214) << label;
  EXPECT_STREQ(ui::englishWords().autoPause, "Auto: wait after voice");
}

TEST(Words, JapaneseIsToldByKanaAndKanjiNotByPunctuation) {
  auto ja = [](const char* s) { return ui::looksJapanese(s, std::strlen(s)); };
  EXPECT_TRUE(ja("\x82\xA0"));              // a hiragana
  EXPECT_TRUE(ja("abc\x8C\xBE"));           // a kanji after Latin letters
  EXPECT_FALSE(ja("\x81\x79" "Akari\x81\x7A \x81\x63"));  // brackets and an ellipsis
  EXPECT_FALSE(ja("\x82\x60\x82\x81"));     // full-width Latin letters
  EXPECT_FALSE(ja("plain"));
  // Both tables are complete.
  const ui::Words& en = ui::englishWords();
  const ui::Words& jp = ui::japaneseWords();
  const char* const* a = &en.menuTitle;
  const char* const* b = &jp.menuTitle;
  for (size_t i = 0; i < sizeof(ui::Words) / sizeof(const char*); ++i) {
    ASSERT_NE(a[i], nullptr);
    ASSERT_NE(b[i], nullptr);
    EXPECT_GT(std::strlen(b[i]), 0u) << i;
  }
}

TEST(Canvas, WidthsAndFittingKeepWholeCharacters) {
  EXPECT_EQ(ui::Canvas::textWidth("ab\x82\xA0"), 32);
  EXPECT_EQ(ui::Canvas::fit("ab\x82\xA0z", 24), "ab");
  EXPECT_EQ(ui::Canvas::fit("ab\x82\xA0z", 32), "ab\x82\xA0");
  EXPECT_EQ(ui::Canvas::fit("ab\x82", 100), "ab") << "a lone lead byte is left out";
  EXPECT_EQ(ui::Canvas::fitWords("one two three", 64), "one two ");
  EXPECT_EQ(ui::Canvas::fitWords("one two three", 56), "one two") << "ends at a space already";
  EXPECT_EQ(ui::Canvas::fitWords("onetwothree", 64), "onetwoth") << "no space: cut as fit does";
  EXPECT_EQ(ui::Canvas::fitWords("ab", 64), "ab");
  // "\x81\x40" is a full-width space; its trail byte 0x40 is not a Latin space.
  EXPECT_EQ(ui::Canvas::fitWords("\x83\x20xy", 24), "\x83\x20x");
}

TEST(Canvas, AThumbnailIsTheMeanOfEachBlock) {
  ZegDevice zeg(320, 240, 24);
  ASSERT_EQ(zeg.checkError(), 0);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      unsigned char* p = zeg.videoMemory + static_cast<long>(y) * zeg.bytesPerLine + x * 3;
      p[0] = static_cast<unsigned char>(x < 160 ? 0 : 200);  // blue
      p[1] = static_cast<unsigned char>(y % 2 ? 100 : 0);     // green
      p[2] = 50;                                              // red
    }
  save::Thumbnail t;
  ui::shrinkFrame(zeg, 64, 48, t);
  ASSERT_EQ(t.rgb.size(), 64u * 48 * 3);
  EXPECT_EQ(t.rgb[0], 50);    // red
  EXPECT_EQ(t.rgb[1], 40);    // green: 2 rows of 100 in 5
  EXPECT_EQ(t.rgb[2], 0);     // blue on the left
  EXPECT_EQ(t.rgb[(63) * 3 + 2], 200);
  // Drawing it back puts each pixel where it belongs.
  ui::Canvas c(&zeg);
  ASSERT_TRUE(c.ok());
  c.picture(10, 20, t);
  const unsigned char* p = zeg.videoMemory + 20L * zeg.bytesPerLine + 10 * 3;
  EXPECT_EQ(p[2], 50);
  EXPECT_EQ(p[1], 40);
  EXPECT_EQ(p[0], 0);
  c.picture(300, 230, t);  // cut at the frame's edge, not past it
}

}  // namespace
