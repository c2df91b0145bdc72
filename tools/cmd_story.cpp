// lmtool story: compile a story script into game data, dump game data as a
// script, and check, chart or play through a built story.
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/KeptFile.h"
#include "platform/OutputFile.h"
#include "tools/Command.h"
#include "tools/author/story_check.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_dumper.h"
#include "tools/author/story_explore.h"
#include "tools/author/story_graph.h"
#include <CLI/CLI.hpp>

namespace {

// A story script is text; no script comes near this.
constexpr size_t kMaxScriptBytes = 64u << 20;

bool readScript(const std::string& path, std::string& text) {
  std::vector<unsigned char> bytes;
  std::string error;
  if (!platform::readKeptFile(path, kMaxScriptBytes, bytes, error)) {
    if (!error.empty()) std::fprintf(stderr, "lmtool: %s\n", error.c_str());
    return false;
  }
  text.assign(bytes.begin(), bytes.end());
  return true;
}

// How findings decide the exit status.
struct Gate {
  bool strict = false;       // a warning fails too
  bool allowErrors = false;  // errors are printed but do not fail (story build)
};

// Prints the findings on `out`; returns the exit status (0 clean, 1 errors,
// or warnings under --strict). `skip` holds lines already printed.
int report(const story::CheckReport& r, const story::StoryFiles* source, Gate gate, FILE* out,
           const std::set<std::string>& skip = {}) {
  int errors = 0, warnings = 0;
  for (const story::Finding& f : r.findings) {
    std::string text = story::formatFinding(f, source);
    if (skip.count(text.substr(0, text.find('\n')))) continue;
    std::fprintf(out, "%s\n", text.c_str());
    (f.error ? errors : warnings)++;
  }
  std::fprintf(out, "%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
  if (gate.strict && errors + warnings > 0) return 1;
  return errors > 0 && !gate.allowErrors ? 1 : 0;
}

int build(const std::string& script, const std::string& outDir, Gate gate) {
  std::string text;
  if (!readScript(script, text)) return lmtool::fail("cannot read " + script);
  story::StoryFiles files;
  std::string error;
  bool ok = story::compileStory(text, files, &error, script);
  for (const auto& w : files.warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!ok) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!story::writeStoryFiles(files, outDir, &error)) return lmtool::fail(error);
  // The same checks as 'story check', with the same severities; a wide line
  // the compiler already warned about is not repeated.
  story::CheckReport r = story::checkStory(outDir);
  std::set<std::string> said;
  for (const story::Finding& f : r.findings) {
    std::string first = story::formatFinding(f, &files);
    first = first.substr(0, first.find('\n'));
    std::string prefix = first.substr(0, first.find(": ") + 2);
    if (f.kind == "wide-line")
      for (const auto& w : files.warnings)
        if (w.rfind(prefix, 0) == 0) said.insert(first);
  }
  if (r.findings.size() == said.size()) return 0;
  return report(r, &files, gate, stderr, said);
}

// Compiles `script` for its line and chart names; false after printing why.
bool compileSource(const std::string& script, story::StoryFiles& files) {
  std::string text, error;
  if (!readScript(script, text)) {
    lmtool::fail("cannot read " + script);
    return false;
  }
  if (!story::compileStory(text, files, &error, script)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int check(const std::string& dir, const std::string& script, bool strict) {
  story::StoryFiles files;
  if (!script.empty() && !compileSource(script, files)) return 1;
  const story::StoryFiles* source = script.empty() ? nullptr : &files;
  story::CheckReport r = story::checkStory(dir);
  if (source && !story::scriptMatches(files, dir)) {
    std::fprintf(stderr, "lmtool: %s does not compile to the EVENT.BIN in %s; showing offsets\n", script.c_str(),
                 dir.c_str());
    source = nullptr;
  }
  return report(r, source, Gate{strict, false}, stdout);
}

// Exit 0 when every chart was reached without a chart error or a missing file.
int explore(const std::string& dir, const std::string& json, long maxRoutes, long maxSteps) {
  story::ExploreLimits limits;
  if (maxRoutes > 0) limits.maxRoutes = maxRoutes;
  if (maxSteps > 0) limits.maxSteps = maxSteps;
  story::Exploration e;
  std::string error;
  // A wrong output is reported before the exploration, not after it.
  if (!json.empty() && platform::checkOutputPath(json, error) == platform::OutputKind::Refused)
    return lmtool::fail(error);
  if (!story::exploreStory(dir, limits, e, error)) return lmtool::fail(error);
  std::string text = story::explorationText(e);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!json.empty()) {
    std::string doc = story::explorationJson(e);
    if (!platform::writeFileAtomic(json, std::vector<unsigned char>(doc.begin(), doc.end()), error))
      return lmtool::fail(error);
  }
  return e.chartErrors.empty() && e.neverReached.empty() && e.missingFiles.empty() ? 0 : 1;
}

const char* kUsage =
    "usage: lmtool story build SCRIPT OUTDIR [--strict | --allow-errors]\n"
    "       lmtool story dump DATADIR [-o SCRIPT]\n"
    "       lmtool story check DATADIR [--script SCRIPT] [--strict]\n"
    "       lmtool story graph DATADIR -o FILE.dot|FILE.svg [--script SCRIPT] [--dot-seconds S]\n"
    "       lmtool story explore DATADIR [--json FILE] [--max-routes N] [--max-steps N]\n";

int graph(const std::string& dir, const std::string& out, const std::string& script, double dotSeconds) {
  bool svg = endsWith(out, ".svg");
  if (!svg && !endsWith(out, ".dot")) {
    std::fprintf(stderr, "lmtool story graph: the output is FILE.dot or FILE.svg, not '%s'\n", out.c_str());
    return 2;
  }
  story::StoryFiles files;
  if (!script.empty() && !compileSource(script, files)) return 1;
  const story::StoryFiles* source = script.empty() ? nullptr : &files;
  if (source && !story::scriptMatches(files, dir)) source = nullptr;
  std::string dot, error;
  // A wrong output is reported before the story is read.
  if (platform::checkOutputPath(out, error) == platform::OutputKind::Refused) return lmtool::fail(error);
  if (!story::storyGraph(dir, source, dot, error)) return lmtool::fail(error);
  if (svg) return story::renderSvg(dot, out, dotSeconds, error) ? 0 : lmtool::fail(error);
  return platform::writeFileAtomic(out, std::vector<unsigned char>(dot.begin(), dot.end()), error)
             ? 0
             : lmtool::fail(error);
}


int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int dump(const char* dataDir, const char* outFile) {
  std::string script, error;
  if (!dumpStory(dataDir, script, &error)) return lmtool::fail(error);
  if (!outFile) {
    std::fwrite(script.data(), 1, script.size(), stdout);
    return 0;
  }
  if (!platform::writeFileAtomic(outFile, std::vector<unsigned char>(script.begin(), script.end()), error))
    return lmtool::fail(error);
  return 0;
}

// Options after the subcommand's name, through CLI11; a bad command line exits 2.
int run(int argc, char** argv) {
  CLI::App cli{"lmtool story"};
  cli.require_subcommand(1);
  std::string script, outDir, dir, out, json;
  bool strict = false, allowErrors = false;
  long maxRoutes = 0, maxSteps = 0;
  double dotSeconds = story::kDefaultDotSeconds;
  CLI::App* b = cli.add_subcommand("build");
  b->add_option("SCRIPT", script)->required();
  b->add_option("OUTDIR", outDir)->required();
  CLI::Option* bStrict = b->add_flag("--strict", strict);
  b->add_flag("--allow-errors", allowErrors)->excludes(bStrict);
  CLI::App* d = cli.add_subcommand("dump");
  d->add_option("DATADIR", dir)->required();
  d->add_option("-o", out);
  CLI::App* c = cli.add_subcommand("check");
  c->add_option("DATADIR", dir)->required();
  c->add_option("--script", script);
  c->add_flag("--strict", strict);
  CLI::App* g = cli.add_subcommand("graph");
  g->add_option("DATADIR", dir)->required();
  g->add_option("-o", out)->required();
  g->add_option("--script", script);
  g->add_option("--dot-seconds", dotSeconds)->check(CLI::PositiveNumber);
  CLI::App* e = cli.add_subcommand("explore");
  e->add_option("DATADIR", dir)->required();
  e->add_option("--json", json);
  e->add_option("--max-routes", maxRoutes)->check(CLI::PositiveNumber);
  e->add_option("--max-steps", maxSteps)->check(CLI::PositiveNumber);
  std::vector<std::string> args;
  for (int i = argc - 1; i >= 0; --i) args.push_back(argv[i]);  // CLI11 takes them last first
  try {
    cli.parse(args);
  } catch (const CLI::ParseError& err) {
    // --help is a question, not a mistake.
    if (err.get_exit_code() == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::fprintf(stderr, "lmtool story: %s\n", err.what());
    return usage();
  }
  if (*b) return build(script, outDir, Gate{strict, allowErrors});
  if (*d) return dump(dir.c_str(), out.empty() ? nullptr : out.c_str());
  if (*c) return check(dir, script, strict);
  if (*g) return graph(dir, out, script, dotSeconds);
  if (*e) return explore(dir, json, maxRoutes, maxSteps);
  return usage();
}

}  // namespace

LMTOOL_COMMAND(story, "story",
               "  story build SCRIPT OUTDIR   compile a story script into EVENT.BIN, ASTARTUP.BIN, kirune.ini,\n"
               "                              then check the story: an error fails the build (--strict: a\n"
               "                              warning too; --allow-errors: the files are kept, exit 0)\n"
               "  story dump DATADIR [-o F]   print the story in DATADIR (kirune.ini and its files) as a script\n"
               "  story check DATADIR         report missing or damaged files, blank glyphs, hidden text,\n"
               "                              unreached charts and broken links (--script S: name its lines;\n"
               "                              --strict: warnings fail too); exit 0 clean, 1 problems, 2 usage\n"
               "  story graph DATADIR -o F    the charts and their successors as Graphviz DOT (F.dot), or SVG\n"
               "                              (F.svg, when Graphviz is installed; at most --dot-seconds S, 120)\n"
               "  story explore DATADIR       play every choice path headless; report the charts reached,\n"
               "                              endings, chart errors, missing files, routes (--json FILE);\n"
               "                              exit 0 when every chart is reached cleanly, else 1",
               run);
