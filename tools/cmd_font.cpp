// lmtool font build: makes FONT.FON from 16-dot bitmap fonts.
#include <cstring>
#include <string>

#include "tools/Command.h"
#include "tools/author/font_builder.h"

namespace {

int runFont(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[0], "build") != 0)
    return lmtool::fail("usage: lmtool font build OUT.FON [--kanji FONT] [--ascii FONT]");
  author::FontSources sources;
  for (int i = 2; i < argc; i += 2) {
    if (i + 1 >= argc) return lmtool::fail(std::string("font build: ") + argv[i] + " needs a font file");
    if (!std::strcmp(argv[i], "--kanji"))
      sources.kanji = argv[i + 1];
    else if (!std::strcmp(argv[i], "--ascii"))
      sources.ascii = argv[i + 1];
    else
      return lmtool::fail(std::string("font build: unknown option ") + argv[i]);
  }
  std::string error;
  return author::writeFont(sources, argv[1], error) ? 0 : lmtool::fail(error);
}

}  // namespace

LMTOOL_COMMAND(font,
               "font",
               "  font build OUT.FON [--kanji F] [--ascii F]  FONT.FON from 16-dot bitmap fonts\n"
               "                                             (default: Shinonome shnmk16, shnm8x16r)",
               runFont);
