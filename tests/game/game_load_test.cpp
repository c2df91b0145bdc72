// Construction of the story scene: tables, names and failures.
#include <cstring>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class GameLoadTest : public GameTest {};

TEST_F(GameLoadTest, ReadsTablesReducedByAddress) {
  Scenario s;
  s.charts = {{0x89}, {0x89, 0x8B}, {0x8B}};
  s.links = {{2, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 65535}, {1, 1, 1, 1, 1, 1}};
  s.names = {"A"};
  s.address = 0x10000;
  s.start = 2;
  start(s);
  ASSERT_EQ(game->phase, 0);
  EXPECT_EQ(game->chart, 2);
  ASSERT_EQ(game->chartTable.size(), 3u);
  const long first = 16 + 4 * 3 + 12 * 3;
  EXPECT_EQ(game->chartTable[0], first);
  EXPECT_EQ(game->chartTable[1], first + 1);
  EXPECT_EQ(game->chartTable[2], first + 3);
  ASSERT_EQ(game->linkTable.size(), 18u);
  EXPECT_EQ(game->linkTable[0], 2);
  EXPECT_EQ(game->linkTable[1], 1);
  EXPECT_EQ(game->linkTable[11], 65535);
  EXPECT_EQ(game->fade, 64);
  EXPECT_EQ(game->face_site, 1);
  EXPECT_EQ(game->pf, nullptr);
  EXPECT_EQ(game->text, nullptr);
}

TEST_F(GameLoadTest, AbsentAddressUsesEntriesAsOffsets) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"A"};
  start(s);
  EXPECT_EQ(game->chartTable[0], 16 + 4 + 12);
}

TEST_F(GameLoadTest, NamesSkipBytesBetweenBracketsAndKeepDoubleByteCharacters) {
  Scenario s;
  s.charts = {{0x89}};
  // "\x81\x40" (an ideographic space, lead byte 0x81) must not end the name.
  s.names = {"Aki", "B\x81\x40" "en", "\x82\xA0\x82\xA2"};
  start(s);
  ASSERT_EQ(game->maxChar, 3);
  EXPECT_STREQ(game->defaultname[0].data(), "Aki");
  EXPECT_STREQ(game->defaultname[1].data(), "B\x81\x40" "en");
  EXPECT_STREQ(game->defaultname[2].data(), "\x82\xA0\x82\xA2");
}

TEST_F(GameLoadTest, FewerNamesThanCharLeavesTheRestEmpty) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"Aki"};
  s.charCount = 3;
  s.write();
  // A stray 0x81 not followed by 0x79 ends the list.
  Bytes st;
  putStr(st, "NAMES\r\n");
  putStr(st, bracketed("Aki"));
  putStr(st, "\x81\x40");
  putStr(st, bracketed("Ben"));
  lmtest::writeFile("ASTARTUP.BIN", st);
  game = std::make_unique<Game>();
  ASSERT_EQ(game->phase, 0);
  ASSERT_EQ(game->maxChar, 3);
  EXPECT_STREQ(game->defaultname[0].data(), "Aki");
  EXPECT_STREQ(game->defaultname[1].data(), "");
  EXPECT_STREQ(game->defaultname[2].data(), "");
}

TEST_F(GameLoadTest, LongNameIsCutToFortyNineBytesOnACharacterBoundary) {
  Scenario s;
  s.charts = {{0x89}};
  std::string longName = "x";
  for (int i = 0; i < 40; ++i) longName += "\x82\xA0";  // 81 bytes
  s.names = {longName, "Ben"};
  start(s);
  const char* n = game->defaultname[0].data();
  EXPECT_EQ(std::strlen(n), 49u);  // "x" and 24 double-byte characters
  EXPECT_EQ(std::string(n), longName.substr(0, 49));
  EXPECT_STREQ(game->defaultname[1].data(), "Ben");
}

TEST_F(GameLoadTest, NameCutByEndOfFileIsDropped) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"Aki"};
  s.charCount = 2;
  s.write();
  Bytes st;
  putStr(st, "NAMES\r\n");
  putStr(st, bracketed("Aki"));
  putStr(st, "\x81\x79" "Be");
  lmtest::writeFile("ASTARTUP.BIN", st);
  game = std::make_unique<Game>();
  EXPECT_STREQ(game->defaultname[0].data(), "Aki");
  EXPECT_STREQ(game->defaultname[1].data(), "");
}

TEST_F(GameLoadTest, MissingEventFileStopsTheStory) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"A"};
  s.write();
  std::remove("EVENT.BIN");
  game = std::make_unique<Game>();
  EXPECT_EQ(game->phase, -1);
  EXPECT_EQ(game->main(nullptr), -1);
  EXPECT_EQ(game->main(nullptr), -1);
}

TEST_F(GameLoadTest, MissingStartFileStopsTheStory) {
  Scenario s;
  s.charts = {{0x89}};
  s.write();
  std::remove("ASTARTUP.BIN");
  game = std::make_unique<Game>();
  EXPECT_EQ(game->phase, -1);
  EXPECT_EQ(game->main(nullptr), -1);
}

TEST_F(GameLoadTest, HugeMaxAndCharAreCappedByTheFileSizes) {
  Scenario s;
  s.charts = {{0x89, 0x89}};
  s.names = {"Aki"};
  s.max = 2000000000;
  s.charCount = 2000000000;
  start(s);
  Bytes ev = lmtest::readFile("EVENT.BIN");
  EXPECT_LE(game->chartTable.size(), ev.size() / 4);
  EXPECT_LE(game->linkTable.size(), ev.size() / 4 * 6);
  EXPECT_LE(game->maxChar, 20);
  EXPECT_STREQ(game->defaultname[0].data(), "Aki");
  // Entries the file cannot hold are marked unusable, not invented.
  EXPECT_EQ(game->chartTable.back(), -1);
}

TEST_F(GameLoadTest, NegativeMaxAndCharGiveEmptyTables) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"Aki"};
  s.max = 0;
  s.extraIni = "";
  s.write();
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nMAX=-5\nCHAR=-3\n");
  game = std::make_unique<Game>();
  EXPECT_EQ(game->phase, 0);
  EXPECT_TRUE(game->chartTable.empty());
  EXPECT_EQ(game->maxChar, 0);
}

}  // namespace
