#include "app/Session.h"

#include "game/Game.h"
#include "graphics/graphicDevice.h"
#include "platform/Png.h"
#include "platform/StopSignals.h"
#include "platform/Presenter.h"
#include "scenes/LmPlayer.h"
#include "scenes/Scene.h"
#include "shell/Key.h"

namespace app {

namespace {

const char* sceneName(int phase) {
  switch (phase) {
    case kSceneStart: return "start";
    case kSceneOpening: return "opening";
    case kSceneTitle: return "title";
    case kSceneSelect: return "select";
    case kSceneGame: return "game";
    default: return "none";
  }
}

LmPlayer* playerOf(loop::FrameLoop& loop) { return loop.machine() ? loop.machine()->player() : nullptr; }

}  // namespace

std::string traceLine(long step, int scene, const LmPlayer& player) {
  std::string line = std::to_string(step) + " " + sceneName(scene);
  if (scene == kSceneGame && player.game) {
    line += " phase " + std::to_string(player.game->phase) + " chart " + std::to_string(player.game->chart);
  }
  return line;
}

uint64_t frameHash(const ZegDevice& zeg) {
  uint64_t h = 0xcbf29ce484222325ull;
  const size_t rowBytes = static_cast<size_t>(zeg.width) * 3;
  for (int y = 0; y < zeg.height; ++y) {
    const unsigned char* row = zeg.videoMemory + static_cast<ptrdiff_t>(y) * zeg.bytesPerLine;
    for (size_t i = 0; i < rowBytes; ++i) h = (h ^ row[i]) * 0x100000001b3ull;
  }
  return h;
}

Session::Session(const Options& options) : options_(options) {
  std::string why;
  if (!options_.trace.empty() && !trace_.open(options_.trace, why)) error_ = "--trace: " + why;
  if (!options_.frameHashes.empty() && error_.empty() && !frameHashes_.open(options_.frameHashes, why))
    error_ = "--frame-hashes: " + why;
  if (!options_.eventLog.empty() && error_.empty()) eventLog_.open(options_.eventLog, error_);
  if (!options_.stepTimes.empty() && error_.empty()) stepTimes_.open(options_.stepTimes, error_);
  if (!options_.inputLog.empty() && error_.empty()) inputLog_.open(options_.inputLog, error_);
}

// Whatever way the run ended, what was traced is kept.
Session::~Session() { finish(); }

bool Session::finish() {
  bool ok = true;
  for (platform::OutputFile* out : {&trace_, &frameHashes_}) {
    std::string why;
    if (out->isOpen() && !out->commit(why)) {
      std::fprintf(stderr, "lmplayer: %s\n", why.c_str());
      ok = false;
    }
  }
  if (std::string why; !inputLog_.finish(lastStep_, why)) {
    std::fprintf(stderr, "lmplayer: %s\n", why.c_str());
    ok = false;
  }
  return ok;
}

void Session::attach(loop::FrameLoop& loop) {
  loop::FrameHooks hooks;
  hooks.beforeStep = [this, &loop](long step) {
    beforeStep(loop, step);
    if (extra_.beforeStep) extra_.beforeStep(step);
  };
  hooks.afterStep = [this, &loop](long step) {
    afterStep(loop, step);
    if (extra_.afterStep) extra_.afterStep(step);
  };
  hooks.afterDraw = [this](long lastStep, const ZegDevice& zeg) {
    afterDraw(lastStep, zeg);
    if (extra_.afterDraw) extra_.afterDraw(lastStep, zeg);
  };
  loop.setHooks(std::move(hooks));
}

void Session::beforeStep(loop::FrameLoop& loop, long step) {
  stepTimes_.stepStarts(step);
  const auto& input = options_.input;
  for (;;) {
    if (nextInput_ < input.size() && inputBase_ + input[nextInput_].step <= step) {
      deliver(input[nextInput_], step);
      ++nextInput_;
    } else if (options_.inputRepeat > 0 && !input.empty() && nextInput_ == input.size() &&
               inputBase_ + options_.inputRepeat < step) {
      // The whole list has run: start its next repetition.
      inputBase_ += options_.inputRepeat;
      nextInput_ = 0;
    } else {
      break;
    }
  }
  eventLog_.keysSeen(step, KeyStatus());
  LmPlayer* player = playerOf(loop);
  sceneAtStart_ = player ? player->phase : -1;
}

void Session::deliver(const InputEvent& e, long step) {
  if (e.isPointer) inputLog_.pointer(step, e.pointer);
  else inputLog_.key(step, e.vk, e.down);
  if (inputTarget_) {
    if (e.isPointer) inputTarget_->pointer(e.pointer);
    else inputTarget_->key(e.vk, e.down);
  } else if (!e.isPointer) {
    keyAction(e.vk, e.down ? 1 : 0);
  }
}

void Session::afterStep(loop::FrameLoop& loop, long step) {
  lastStep_ = step;
  if (trace_.isOpen()) {
    LmPlayer* player = playerOf(loop);
    std::string line = player ? traceLine(step, sceneAtStart_, *player) : std::to_string(step);
    line += '\n';
    if (!trace_.write(line.data(), line.size())) outputFailed_ = true;
  }
  if (options_.steps > 0 && step >= options_.steps) loop.requestStop();
  // A stop signal ends the run here, at the end of a step, as the step limit does.
  if (platform::stopSignal()) loop.requestStop();
}

void Session::afterDraw(long lastStep, const ZegDevice& zeg) {
  // A draw after several steps stands for each of them.
  for (const ShotRequest& shot : options_.shots) {
    if (shot.step <= lastDrawn_ || shot.step > lastStep) continue;
    platform::Frame frame{zeg.storage(), zeg.width, zeg.height, zeg.storageStride()};
    std::vector<unsigned char> rgb = platform::frameToRgb(frame);
    std::string why;
    if (!platform::writePng(shot.file, zeg.width, zeg.height, 3, rgb.data(), &why)) {
      std::fprintf(stderr, "lmplayer: --shot: %s\n", why.c_str());
      outputFailed_ = true;
    }
  }
  if (frameHashes_.isOpen() && std::fprintf(frameHashes_.stream(), "%ld %016llx\n", lastStep,
                                            static_cast<unsigned long long>(frameHash(zeg))) < 0)
    outputFailed_ = true;
  lastDrawn_ = lastStep;
}

}  // namespace app
