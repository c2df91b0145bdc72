// What a number in the data can make the story scene take: tables read from
// the file when large, names no more than a speaker byte can show, strings
// cut to whole characters.
#include <unistd.h>

#include <cstring>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class GameBoundsTest : public GameTest {};

// A story whose chart table is followed by `padding` bytes of zeros (a hole)
// and "MAX" large enough that the tables cannot be held in memory.
TEST_F(GameBoundsTest, LargeTablesAreReadFromTheFileAsNeeded) {
  Scenario s;
  s.charts = {{0x83, 0x00}, {0x83, 0x00}, {0x8B, 0x89}};
  s.links = {{2, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}};
  s.names = {"A"};
  s.start = 1;
  s.max = 100'000'000;
  start(s);
  ASSERT_EQ(::truncate("EVENT.BIN", 64L << 20), 0);
  game = std::make_unique<Game>();
  ASSERT_EQ(game->phase, 0);
  EXPECT_FALSE(game->chartTable.inMemory());
  EXPECT_FALSE(game->linkTable.inMemory());
  EXPECT_EQ(game->chartTable.size(), (64u << 20) / 4);
  // The real entries, as the file holds them; zeros after them; nothing past the file.
  const long first = 16 + 4 * 3 + 12 * 3;
  EXPECT_EQ(game->chartTable[0], first);
  EXPECT_EQ(game->chartTable[2], first + 4);
  EXPECT_EQ(game->chartTable[1000], 0);
  EXPECT_EQ(game->linkTable[0], 2);
  EXPECT_EQ(game->linkTable[12], 1);
  EXPECT_EQ(game->chartTable.back(), -1);
  // Chart 1 branches to 2 (row 0), chart 2 to 1 (row 1): the interpreter's own
  // reading of the file is not disturbed by reading the tables in between.
  ASSERT_NE(stepsUntil(0x8B, 20), -1);
  EXPECT_EQ(game->chart, 2);
  EXPECT_NE(stepsUntil(0x89, 20), -1);
  // The small table of the same story is read whole, with the same entries.
  s.max = 3;
  start(s);
  EXPECT_TRUE(game->chartTable.inMemory());
  EXPECT_EQ(game->chartTable[2], first + 4);
  EXPECT_EQ(game->linkTable.entries(), (std::vector<long>{2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

TEST_F(GameBoundsTest, OnlyTheNamesASpeakerByteCanShowAreKept) {
  Scenario s;
  s.charts = {{0x80, 0x01, 0x80, 0xFE, 0x89}};
  std::vector<std::string> names;
  for (int i = 1; i <= 300; ++i) names.push_back("N" + std::to_string(i));
  s.names = names;
  s.charCount = 2'000'000'000;
  s.write();
  // The name list is followed by a hole of 256 MiB: the scan for a next name
  // steps over it.
  ASSERT_EQ(::truncate("ASTARTUP.BIN", 256L << 20), 0);
  game = std::make_unique<Game>();
  ASSERT_EQ(game->phase, 0);
  EXPECT_EQ(game->defaultname.size(), 254u);
  EXPECT_STREQ(game->defaultname[0].data(), "N1");
  EXPECT_STREQ(game->defaultname[253].data(), "N254");
  steps(3);
  ASSERT_NE(game->text, nullptr);
  EXPECT_STREQ(game->text->data[0], "\x81\x79N1\x81\x7A");
  steps(2);
  EXPECT_STREQ(game->text->data[0], "\x81\x79N254\x81\x7A");
}

// 48 bytes, then a double-byte character that does not fit, then bytes that would.
TEST_F(GameBoundsTest, NamesAndChoiceTextsKeepATruePrefix) {
  const std::string text = std::string(48, 'a') + "\x82\xA0" + "bcd";
  Scenario s;
  Bytes c{0x80, 0xFF};
  putStrZ(c, std::string(250, 'n') + "\x82\xA0" + "xyz");  // inline name: cap 251 bytes
  c.insert(c.end(), {0x84, 0x02});
  putStrZ(c, text);
  putStrZ(c, "ok");
  s.charts = {c};
  s.names = {text};
  start(s);
  EXPECT_EQ(std::string(game->defaultname[0].data()), std::string(48, 'a'));
  steps(2);
  ASSERT_NE(game->text, nullptr);
  EXPECT_EQ(std::string(game->text->data[0]), "\x81\x79" + std::string(250, 'n') + "\x81\x7A");
  steps(2);
  ASSERT_NE(game->select, nullptr);
  EXPECT_EQ(std::string(game->select->item[0]), std::string(48, 'a'));
  EXPECT_STREQ(game->select->item[1], "ok");
}

TEST_F(GameBoundsTest, ALeadByteBeforeTheNulIsKeptInNamesAndChoices) {
  Bytes c{0x80, 0xFF};
  putStrZ(c, "Ki\x82");
  c.insert(c.end(), {0x84, 0x02});
  putStrZ(c, "abc\x83");
  putStrZ(c, "z");
  c.push_back(0x89);
  startStream(c);
  steps(2);
  ASSERT_NE(game->text, nullptr);
  EXPECT_STREQ(game->text->data[0], "\x81\x79Ki\x82\x81\x7A");
  steps(2);
  ASSERT_NE(game->select, nullptr);
  EXPECT_STREQ(game->select->item[0], "abc\x83");
  EXPECT_STREQ(game->select->item[1], "z") << "the NUL after the lead byte still ends the string";
  EXPECT_EQ(game->select->width, 4 * 4 + 2) << "the window's width counts the lead byte";
}

}  // namespace
