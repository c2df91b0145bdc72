// The three-line message window: animation, line buffers and drawing.
#include "game/Text.h"

#include <cstring>

#include "game/ScreenRow.h"
#include "graphics/graphicDevice.h"

Text::Text() {
  width = height = 0;
  std::memset(buffers, 0, sizeof buffers);
  for (int i = 0; i < 3; ++i) data[i] = buffers[i];
  line = row = 0;
}

Text::~Text() = default;

int Text::open() {
  if (height < 27) {
    height += 27;
  } else if (width < 147) {
    width += 6;
  } else {
    width = 147;
    left = 13;
    right = 307;
    return 1;
  }
  left = 160 - width;
  right = 160 + width;
  return 0;
}

int Text::close() {
  int done = 0;
  if (width > 0) {
    width -= 6;
  } else if (height > 0) {
    width = 0;
    height -= 27;
  } else {
    done = 1;
  }
  left = 160 - width;
  right = 160 + width;
  return done;
}

// Bytes past the 255th of a line are dropped so the NUL always fits.
void Text::print(int code) {
  if (row >= 255) return;
  data[line][row] = static_cast<char>(code & 0xFF);
  ++row;
  data[line][row] = '\0';
}

void Text::println(const char* str) {
  if (str)
    for (const char* p = str; *p; ++p) print(static_cast<unsigned char>(*p));
  nextLine();
}

void Text::nextLine() {
  if (line < 2) {
    ++line;
  } else {
    char* first = data[0];
    data[0] = data[1];
    data[1] = data[2];
    data[2] = first;
    data[2][0] = '\0';
  }
  row = 0;
}

void Text::clear() {
  row = 0;
  line = 0;
  for (char* d : data) d[0] = '\0';
}


// The frame is painted in row pairs from the outside in (pattern k on rows
// top + k and bottom - k), then the body rows between them.
void Text::draw(ZegDevice* zeg, int fade) {
  if (!zeg || !zeg->videoMemory) return;
  const int f = ((fade % 256) + 256) % 256;
  const unsigned char A[3] = {fadeTable[0][f], fadeTable[192][f], fadeTable[192][f]};
  const unsigned char B[3] = {fadeTable[0][f], fadeTable[240][f], fadeTable[240][f]};
  unsigned char low[16], high[16];
  for (int k = 0; k < 16; ++k) {
    low[k] = fadeTable[64 + k][f];
    high[k] = fadeTable[240 + k][f];
  }
  bool plain = true;
  for (int k = 0; k < 16; ++k) plain = plain && low[k] == 64 + k && high[k] == 240 + k;
  const int L = 155 - width, R = width + 164;
  const int top = 188 - height, bot = 197 + height;

  auto pattern = [&](int k, int y) {
    const ScreenRow r(zeg, y);
    switch (k) {
      case 0:
        r.solid(L + 2, R - 2, A);
        break;
      case 1:
        r.solid(L + 1, L + 1, A);
        r.solid(L + 2, R - 2, B);
        r.solid(R - 1, R - 1, A);
        break;
      case 2:
        r.solid(L, L, A);
        r.solid(L + 1, R - 1, B);
        r.solid(R, R, A);
        break;
      case 3:
        r.solid(L, L, A);
        r.solid(L + 1, L + 2, B);
        r.solid(L + 3, R - 3, A);
        r.solid(R - 2, R - 1, B);
        r.solid(R, R, A);
        break;
      default: {
        const int edge = k == 4 ? 4 : 3;  // dark inner line: two pixels on row 4, one below
        r.solid(L, L, A);
        r.solid(L + 1, L + 2, B);
        r.solid(L + 3, L + edge, A);
        if (plain) r.blend(L + edge + 1, R - edge - 1, 64, 64, 240);
        else r.tint(L + edge + 1, R - edge - 1, low, high);
        r.solid(R - edge, R - 3, A);
        r.solid(R - 2, R - 1, B);
        r.solid(R, R, A);
        break;
      }
    }
  };
  for (int k = 0; k < 5; ++k) {
    pattern(k, top + k);
    pattern(k, bot - k);
  }
  for (int y = top + 5; y <= bot - 5; ++y) pattern(5, y);

  for (int i = 0; i < 3; ++i) puts(zeg, 16, 169 + 16 * i, f, data[i]);
}
