// Fuzzes the font file and the text drawn with it: the bytes become
// FONT.FON in a private working directory, the glyph tables are read anew,
// and fuzzed strings (lone lead bytes before the NUL included) and raw
// character codes are drawn with a fuzzed clip band, position and fade.
//
// Input: the font file (its length taken from the input's end, then its
// bytes from the front), then the text: NUL-separated strings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "graphics/Font.h"
#include "graphics/graphicDevice.h"

namespace {

void writeSeeds(const std::string& dir) {
  // Single-byte glyphs and a few rows of double-byte ones, with ink.
  std::vector<uint8_t> font(4096 + 32 * 300);
  for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<uint8_t>((i * 0x45) ^ (i >> 4));
  const char text[] = "Hello, world\0\x82\xA0\x88\x9F\x81\x7E\x81\x80\xEA\xA2\xEA\xA5\xFF\xFF\0ab\x81";
  std::vector<uint8_t> front(font);
  front.insert(front.end(), text, text + sizeof text - 1);
  for (bool withFile : {true, false}) {
    fuzz::Tail t;
    t.put<uint16_t>(static_cast<uint16_t>(font.size()));
    t.put<int16_t>(withFile ? 4 : -1).put<int16_t>(withFile ? 300 : 320);
    t.put<int16_t>(withFile ? 12 : -5).put<int16_t>(withFile ? 100 : 230).put<int16_t>(withFile ? 128 : 300);
    t.put<int32_t>(withFile ? 0x889F : 0x8140).flag(withFile);
    fuzz::writeSeed(dir, withFile ? "font-and-text" : "no-file", t.input(front));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ZegDevice zeg(320, 240, 24);
  if (zeg.checkError()) return 0;
  fuzz::InWorkDir here;

  FuzzedDataProvider in(data, size);
  const size_t fontBytes = in.ConsumeIntegral<uint16_t>();
  const int left = in.ConsumeIntegral<int16_t>();
  const int right = in.ConsumeIntegral<int16_t>();
  const int x = in.ConsumeIntegral<int16_t>();
  const int y = in.ConsumeIntegral<int16_t>();
  const int fade = in.ConsumeIntegral<int16_t>();
  const int code = in.ConsumeIntegral<int32_t>();
  const bool withFile = in.ConsumeBool();
  const std::vector<uint8_t> font = in.ConsumeBytes<uint8_t>(fontBytes);
  std::vector<char> text = in.ConsumeRemainingBytes<char>();
  text.push_back('\0');

  if (withFile && !fuzz::writeFile("FONT.FON", font.data(), font.size())) return 0;
  Font::unload();
  Font f;
  std::remove("FONT.FON");
  f.left = left;
  f.right = right;

  Font::glyphIndex(code);
  f.putc(&zeg, x, y, code, fade);
  // Every NUL-terminated piece of the text, each on a line of its own.
  int line = 0;
  for (size_t at = 0; at < text.size(); at += std::char_traits<char>::length(&text[at]) + 1, ++line) {
    f.puts(&zeg, x, y + 16 * (line % 16), fade, &text[at]);
    f.puts(&zeg, 0, 16 * (line % 15), &text[at]);
  }
  return 0;
}
