// Game construction: the chart and link tables of "EVENT.BIN" and the
// character names of "ASTARTUP.BIN".
#include "game/Game.h"

#include <algorithm>
#include <cstdint>

#include "shell/FileUtils.h"

namespace {

// Reads `count` big-endian entries of `width` bytes at `pos`; entries the file
// does not hold completely become -1.
std::vector<long> readTable(FILE* f, long fileSize, long pos, long count, int width) {
  std::vector<long> out(static_cast<size_t>(count), -1);
  if (pos < 0 || pos >= fileSize) return out;
  long avail = std::min(count, (fileSize - pos) / width);
  std::vector<unsigned char> raw(static_cast<size_t>(avail) * width);
  if (std::fseek(f, pos, SEEK_SET) != 0) return out;
  size_t got = std::fread(raw.data(), 1, raw.size(), f) / width;
  for (size_t i = 0; i < got; ++i) {
    uint32_t v = 0;
    for (int b = 0; b < width; ++b) v = (v << 8) | raw[i * width + b];
    out[i] = static_cast<long>(v);
  }
  return out;
}

// Scans to the next opening bracket and copies the name up to the closing
// one. False (and the name left empty) when the list ends here.
bool readName(FILE* f, Game::Name& name) {
  int c;
  while ((c = std::fgetc(f)) != EOF && c != 0x81) {
  }
  if (c == EOF || std::fgetc(f) != 0x79) return false;
  size_t len = 0;
  for (;;) {
    int b = std::fgetc(f);
    int t = b >= 0x80 ? std::fgetc(f) : 0;
    if (b == EOF || t == EOF) {
      name.fill(0);
      return false;
    }
    if (b == 0x81 && t == 0x7A) return true;
    // Whole characters only; the rest of a long name is skipped.
    const size_t n = b >= 0x80 ? 2 : 1;
    if (len + n < name.size()) {
      name[len++] = static_cast<char>(b);
      if (n == 2) name[len++] = static_cast<char>(t);
    }
  }
}

}  // namespace

Game::Game() {
  const int chartPos = iniInt("CHART", 0);
  const int linkPos = iniInt("LINK", 0);
  const int chartMax = iniInt("MAX", 0);
  const int address = iniInt("ADDRESS", 0);

  if (!loadTables(chartPos, linkPos, chartMax, address)) {
    phase = -1;
    return;
  }
  eyesstate = mouthstate = 0;
  face_site = 1;
  chart = iniInt("START", 0);
  loadNames(iniInt("NAME", 0), iniInt("CHAR", 0));
}

Game::~Game() = default;

bool Game::loadTables(int chartPos, int linkPos, int chartMax, long address) {
  fp.reset(myFopen(2, "EVENT.BIN", "rb"));
  if (!fp) return false;
  fileSize = fsize(fp.get());
  // A chart table longer than the file cannot be in it: cap the allocation.
  const long count = std::clamp<long>(chartMax, 0, fileSize / 4);
  chartTable = readTable(fp.get(), fileSize, chartPos, count, 4);
  for (long& c : chartTable)
    if (c >= 0) c -= address;
  linkTable = readTable(fp.get(), fileSize, linkPos, count * 6, 2);
  return true;
}

void Game::loadNames(long namePos, int count) {
  std::unique_ptr<FILE, FileCloser> st(myFopen(2, "ASTARTUP.BIN", "rb"));
  if (!st) {
    phase = -1;
    return;
  }
  const long stSize = fsize(st.get());
  // Every name takes at least its four bracket bytes: cap the allocation.
  maxChar = std::clamp<long>(count, 0, stSize / 4);
  defaultname.assign(static_cast<size_t>(maxChar), Name{});
  if (namePos < 0 || namePos > stSize || std::fseek(st.get(), namePos, SEEK_SET) != 0) return;

  for (Name& name : defaultname)
    if (!readName(st.get(), name)) return;
}
