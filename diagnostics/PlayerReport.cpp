#include "diagnostics/PlayerReport.h"

#include <cstdio>
#include <filesystem>

#include "game/Game.h"
#include "platform/FileSystem.h"
#include "platform/Notice.h"
#include "game/ScenarioCode.h"
#include "scenes/LmPlayer.h"
#include "scenes/Scene.h"

namespace diagnostics {
namespace {

PlayerReport* g_report = nullptr;

std::string hex(long v) {
  char b[32];
  std::snprintf(b, sizeof b, "0x%lX", v);
  return b;
}

}  // namespace

PlayerReport::PlayerReport(std::string dataDir, std::function<const LmPlayer*()> player)
    : dataDir_(std::move(dataDir)), player_(std::move(player)) {
  files_.onMissing = [this](const MissingFile& f) {
    std::fprintf(stderr, "%s\n", missingLine(f).c_str());
    std::fflush(stderr);
  };
  MissingFiles::install(&files_);
  g_report = this;
  platform::setNoticeObserver(&PlayerReport::onNotice);
}

PlayerReport::~PlayerReport() {
  files_.flush();
  MissingFiles::install(nullptr);
  platform::setNoticeObserver(nullptr);
  g_report = nullptr;
}

std::string PlayerReport::place() const {
  const LmPlayer* p = player_ ? player_() : nullptr;
  if (!p) return "start-up";
  switch (p->phase) {
    case kSceneStart:
    case kSceneOpening: return "the opening";
    case kSceneTitle: return "the title screen";
    case kSceneSelect: return "the select screen";
    case kSceneGame: return p->game ? "chart " + std::to_string(p->game->chart) : "the story's start";
    default: return "the story";
  }
}

std::string PlayerReport::missingLine(const MissingFile& f) const {
  namespace fs = std::filesystem;
  std::string dirs;
  for (const std::string& d : f.dirs) {
    fs::path where = (fs::path(dataDir_) / platform::toHostPath(d.c_str())).lexically_normal();
    std::string shown = where.string();
    if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    if (dirs != shown && dirs.find(" or " + shown) == std::string::npos) dirs += (dirs.empty() ? "" : " or ") + shown;
  }
  return "lmplayer: cannot open " + f.name + " in " + dirs + " (needed by " + place() + ")";
}

std::string PlayerReport::chartErrorLine() const {
  const LmPlayer* p = player_ ? player_() : nullptr;
  const Game* g = p ? p->game.get() : nullptr;
  if (!g) return "lmplayer: the chart error happened outside the story";
  std::string chart = "chart " + std::to_string(g->chart);
  if (g->phase == scenario::kSeek)
    return "lmplayer: " + chart + " has no stream in EVENT.BIN (outside the chart table, or past the end of the file)";
  if (g->phase == scenario::kBranch)
    return "lmplayer: " + chart + " branches at EVENT.BIN offset " + hex(g->fetchedAt) +
           " through a link-table column that holds no successor";
  return "lmplayer: the chart error is in " + chart + " at EVENT.BIN offset " + hex(g->fetchedAt);
}

void PlayerReport::onNotice(const char*, const char*) {
  if (!g_report) return;
  std::fprintf(stderr, "%s\n", g_report->chartErrorLine().c_str());
  std::fflush(stderr);
}

}  // namespace diagnostics
