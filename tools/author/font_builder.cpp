#include "tools/author/font_builder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <memory>

#include "platform/OutputFile.h"

namespace author {

namespace {

struct LibraryCloser {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

// Opens a bitmap font at its first strike with its first (raw-code) charmap.
bool openFont(FT_Library lib, const std::string& path, Face& face, std::string& error) {
  FT_Face f = nullptr;
  if (FT_New_Face(lib, path.c_str(), 0, &f) != 0) {
    error = "cannot read font " + path;
    return false;
  }
  face.reset(f);
  if (f->num_fixed_sizes > 0) FT_Select_Size(f, 0);
  if (f->num_charmaps < 1 || FT_Set_Charmap(f, f->charmaps[0]) != 0) {
    error = "font " + path + " has no character map";
    return false;
  }
  return true;
}

// Renders `code` and copies its ink into a cell of `cellWidth` x 16 pixels,
// `cellWidth` / 8 bytes per row, bit 7 leftmost. The glyph is placed by its
// bitmap_top against the font's ascent and by its bitmap_left; ink outside
// the cell is dropped.
void renderGlyph(FT_Face face, unsigned long code, int cellWidth, unsigned char* cell) {
  FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0) return;
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_MONO || !bm.buffer) return;
  const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
  const int top = ascent - slot->bitmap_top;
  const int left = slot->bitmap_left;
  const int bytesPerRow = cellWidth / 8;
  for (unsigned y = 0; y < bm.rows; y++) {
    const int cy = top + static_cast<int>(y);
    if (cy < 0 || cy >= 16) continue;
    const unsigned char* src = bm.buffer + static_cast<long>(y) * bm.pitch;
    for (unsigned x = 0; x < bm.width; x++) {
      if (!(src[x / 8] & (0x80 >> (x % 8)))) continue;
      const int cx = left + static_cast<int>(x);
      if (cx < 0 || cx >= cellWidth) continue;
      cell[cy * bytesPerRow + cx / 8] |= static_cast<unsigned char>(0x80 >> (cx % 8));
    }
  }
}

}  // namespace

bool buildFont(const FontSources& sources, std::vector<unsigned char>& out, std::string& error) {
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) {
    error = "cannot start FreeType";
    return false;
  }
  Library lib(raw);
  Face ascii, kanji;
  if (!openFont(raw, sources.ascii, ascii, error) || !openFont(raw, sources.kanji, kanji, error)) return false;

  out.assign(kFontFileBytes, 0);
  for (int code = 0; code < 256; code++) renderGlyph(ascii.get(), static_cast<unsigned long>(code), 8, &out[code * 16]);
  // Glyph g is JIS row g / 94 + 1, cell g % 94 + 1.
  for (int g = 0; g < kFontKanjiGlyphs; g++) {
    const unsigned row = static_cast<unsigned>(g / 94 + 1), cell = static_cast<unsigned>(g % 94 + 1);
    const unsigned long jis = ((row + 0x20) << 8) | (cell + 0x20);
    renderGlyph(kanji.get(), jis, 16, &out[4096 + static_cast<size_t>(g) * 32]);
  }
  return true;
}

bool writeFont(const FontSources& sources, const std::string& path, std::string& error) {
  std::vector<unsigned char> bytes;
  if (!buildFont(sources, bytes, error)) return false;
  return platform::writeFileAtomic(path, bytes, error);
}

}  // namespace author
