#pragma once
// Making FONT.FON from bitmap fonts FreeType reads (the Shinonome 16-dot PCF
// fonts by default): 256 single-byte 8x16 glyphs, then 7806 JIS X 0208
// 16x16 glyphs in row-cell order.
#include <string>
#include <vector>

namespace author {

constexpr size_t kFontFileBytes = 253888;
constexpr int kFontKanjiGlyphs = 7806;

struct FontSources {
  // Double-byte glyphs, looked up by raw JIS code ((row + 0x20) << 8 | (cell + 0x20)).
  std::string kanji = "/usr/share/fonts/X11/misc/shnmk16.pcf.gz";
  // Single-byte glyphs, looked up by byte value (JIS X 0201).
  std::string ascii = "/usr/share/fonts/X11/misc/shnm8x16r.pcf.gz";
};

// The whole font file; codes the fonts lack stay blank. False, with `error`
// set, when a font cannot be read.
bool buildFont(const FontSources& sources, std::vector<unsigned char>& out, std::string& error);

// buildFont, written to `path` under a temporary name and renamed.
bool writeFont(const FontSources& sources, const std::string& path, std::string& error);

}  // namespace author
