#include "tools/author/story_compiler.h"

#include <algorithm>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/OutputFile.h"
#include "tools/author/story_layout.h"
#include "tools/author/story_model.h"

namespace story {

bool compileStory(const std::string& scriptText, StoryFiles& out, std::string* error,
                  const std::string& sourceName) {
  out = StoryFiles{};
  Model model;
  Diagnostics diag(sourceName);
  if (parseStory(scriptText, model, diag)) layoutStory(model, diag, out);
  out.warnings = diag.warnings();
  out.source = sourceName;
  if (diag.failed()) {
    if (error) *error = diag.errorText();
    return false;
  }
  return true;
}

int sourceLine(const StoryFiles& files, size_t offset) {
  auto it = std::upper_bound(files.marks.begin(), files.marks.end(), offset,
                             [](size_t o, const SourceMark& m) { return o < m.offset; });
  return it == files.marks.begin() ? 0 : std::prev(it)->line;
}

std::string storyDataDir(const std::string& outDir, const std::string& rootDir) {
  std::string host = platform::toHostPath(rootDir.c_str());
  bool relative = !host.empty() && host[0] != '/' && host.find(':') == std::string::npos;
  if (!relative) return outDir;
  return (std::filesystem::path(outDir) / host).lexically_normal().string();
}

bool writeStoryFiles(const StoryFiles& files, const std::string& outDir, std::string* error) {
  std::string dataDir = storyDataDir(outDir, files.rootDir);
  std::error_code ec;
  std::filesystem::create_directories(dataDir, ec);
  if (ec) {
    if (error) *error = "cannot create " + dataDir + ": " + ec.message();
    return false;
  }
  // The three files belong together: all are replaced, or none is.
  namespace fs = std::filesystem;
  platform::OutputSet set;
  set.add((fs::path(outDir) / "kirune.ini").string(), std::vector<unsigned char>(files.ini.begin(), files.ini.end()));
  set.add((fs::path(dataDir) / "EVENT.BIN").string(), files.event);
  set.add((fs::path(dataDir) / "ASTARTUP.BIN").string(), files.startup);
  std::string why;
  if (!set.commit(why)) {
    if (error) *error = why;
    return false;
  }
  return true;
}

}  // namespace story

bool buildStory(const std::string& scriptText, const std::string& outDir, std::string* error) {
  story::StoryFiles files;
  return story::compileStory(scriptText, files, error) && story::writeStoryFiles(files, outDir, error);
}
