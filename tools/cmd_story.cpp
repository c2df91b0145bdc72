// lmtool story: compile a story script into game data, or dump game data as a script.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/Command.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_dumper.h"

namespace {

int build(const char* script, const char* outDir) {
  std::ifstream in(script, std::ios::binary);
  if (!in) return lmtool::fail(std::string("cannot read ") + script);
  std::stringstream text;
  text << in.rdbuf();
  story::StoryFiles files;
  std::string error;
  bool ok = story::compileStory(text.str(), files, &error, script);
  for (const auto& w : files.warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!ok) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!story::writeStoryFiles(files, outDir, &error)) return lmtool::fail(error);
  return 0;
}

int dump(const char* dataDir, const char* outFile) {
  std::string script, error;
  if (!dumpStory(dataDir, script, &error)) return lmtool::fail(error);
  if (!outFile) {
    std::fwrite(script.data(), 1, script.size(), stdout);
    return 0;
  }
  std::ofstream out(outFile, std::ios::binary);
  out << script;
  out.close();
  return out ? 0 : lmtool::fail(std::string("cannot write ") + outFile);
}

int run(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[0], "build")) return build(argv[1], argv[2]);
  if (argc == 2 && !std::strcmp(argv[0], "dump")) return dump(argv[1], nullptr);
  if (argc == 4 && !std::strcmp(argv[0], "dump") && !std::strcmp(argv[2], "-o"))
    return dump(argv[1], argv[3]);
  std::fprintf(stderr, "usage: lmtool story build SCRIPT OUTDIR\n       lmtool story dump DATADIR [-o SCRIPT]\n");
  return 2;
}

}  // namespace

LMTOOL_COMMAND(story, "story",
               "  story build SCRIPT OUTDIR   compile a story script into EVENT.BIN, ASTARTUP.BIN, kirune.ini\n"
               "  story dump DATADIR [-o F]   print the story in DATADIR (kirune.ini and its files) as a script",
               run);
