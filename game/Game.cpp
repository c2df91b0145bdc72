// Game construction: the chart and link tables of "EVENT.BIN" and the
// character names of "ASTARTUP.BIN".
#include "game/Game.h"
#include "game/ScenarioCode.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "platform/FileReader.h"
#include "shell/FileUtils.h"

namespace {

// Speaker numbers are bytes and 255 names inline: only names 1-254 can ever
// be shown, so no more are read or kept, whatever "CHAR" says.
constexpr long kAddressableNames = 254;

// Scans to the next opening bracket and copies the name up to the closing
// one, keeping the longest whole-character prefix that fits. False (and the
// name left empty) when the list ends here.
bool readName(platform::FileReader& in, Game::Name& name) {
  // Zeros before a bracket are skipped like any other byte.
  in.setZerosSkippable(true);
  int c;
  while ((c = in.get()) != -1 && c != 0x81) {
  }
  in.setZerosSkippable(false);
  if (c == -1 || in.get() != 0x79) return false;
  size_t len = 0;
  bool full = false;  // nothing more is kept
  for (;;) {
    // After a NUL nothing more of the name can show: zeros change nothing.
    in.setZerosSkippable(full);
    int b = in.get();
    int t = b >= 0x80 ? in.get() : 0;
    if (b == -1 || t == -1) {
      name.fill(0);
      return false;
    }
    if (b == 0x81 && t == 0x7A) return true;
    const size_t n = b >= 0x80 ? 2 : 1;
    if (full || len + n >= name.size()) {
      full = true;
      continue;
    }
    name[len++] = static_cast<char>(b);
    if (n == 2) name[len++] = static_cast<char>(t);
    if (b == 0) full = true;
  }
}

}  // namespace

Game::Game() {
  const int chartPos = iniInt("CHART", 0);
  const int linkPos = iniInt("LINK", 0);
  const int chartMax = iniInt("MAX", 0);
  const int address = iniInt("ADDRESS", 0);

  // Memory that cannot be had fails the story like a missing file.
  try {
    if (!loadTables(chartPos, linkPos, chartMax, address)) {
      phase = scenario::kStopped;
      return;
    }
    eyesstate = mouthstate = 0;
    face_site = 1;
    chart = iniInt("START", 0);
    loadNames(iniInt("NAME", 0), iniInt("CHAR", 0));
  } catch (const std::bad_alloc&) {
    defaultname.clear();
    maxChar = 0;
    phase = scenario::kStopped;
  }
}

Game::~Game() = default;

bool Game::loadTables(int chartPos, int linkPos, int chartMax, long address) {
  fp.reset(myFopen(2, "EVENT.BIN", "rb"));
  if (!fp) return false;
  fileSize = fsize(fp.get());
  // A chart table longer than the file cannot be in it.
  const long count = std::clamp<long>(chartMax, 0, fileSize / 4);
  chartTable.load(fp.get(), fileSize, chartPos, count, 4, address);
  linkTable.load(fp.get(), fileSize, linkPos, count * 6, 2);
  return true;
}

void Game::loadNames(long namePos, int count) {
  std::unique_ptr<FILE, FileCloser> st(myFopen(2, "ASTARTUP.BIN", "rb"));
  if (!st) {
    phase = scenario::kStopped;
    return;
  }
  const long stSize = fsize(st.get());
  // Every name takes at least its four bracket bytes.
  maxChar = std::clamp<long>(count, 0, stSize / 4);
  defaultname.assign(static_cast<size_t>(std::min<long>(maxChar, kAddressableNames)), Name{});
  if (namePos < 0 || namePos > stSize) return;
  platform::FileReader in(st.get(), namePos);
  for (Name& name : defaultname)
    if (!readName(in, name)) return;
}
