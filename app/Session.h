#pragma once
// What a run adds around the frame loop from the command line: scripted
// keys before steps, the step trace, frame shots and the step limit.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/OutputFile.h"
#include "app/EventLog.h"
#include "loop/FrameLoop.h"
#include "app/InputLog.h"
#include "app/Options.h"

class LmPlayer;

namespace app {

// The trace line of one step: "<step> <scene>", and for the story
// "<step> game phase <phase> chart <chart>". `scene` is the machine's phase
// when the step began.
std::string traceLine(long step, int scene, const LmPlayer& player);

// 64-bit FNV-1a over the frame's pixels, top row first, blue-green-red bytes.
uint64_t frameHash(const ZegDevice& zeg);

class Session {
 public:
  // Starts the trace and frame-hash outputs when asked for; check ok().
  explicit Session(const Options& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // Shots, trace or log lines that could not be written.
  bool outputFailed() const {
    return outputFailed_ || eventLog_.failed() || stepTimes_.failed() || inputLog_.failed();
  }

  // Puts the trace and frame-hash files in place (they appear only now; the
  // destructor does it too); false, with each reason printed, when one could
  // not be written.
  bool finish();

  // Installs the hooks on `loop`; the loop's machine must be an LmPlayerMachine
  // for the trace (other machines are traced without a scene).
  void attach(loop::FrameLoop& loop);
  // Where scripted keys and mouse events go (not owned; null: keys straight
  // to keyAction, mouse events nowhere).
  void setInputTarget(platform::HostEvents* target) { inputTarget_ = target; }

  // More observers of the loop, called after the session's own (video).
  void setExtraHooks(loop::FrameHooks hooks) { extra_ = std::move(hooks); }

  // What the window delivered, for the event log and the input log (where
  // it acts on the next step).
  void windowKey(unsigned vk, bool down) {
    eventLog_.key(lastStep_, vk, down);
    inputLog_.key(lastStep_ + 1, vk, down);
  }
  void windowPointer(const platform::PointerEvent& e) { inputLog_.pointer(lastStep_ + 1, e); }
  void windowEvent(const std::string& what) { eventLog_.event(lastStep_, what); }

 private:
  void beforeStep(loop::FrameLoop& loop, long step);
  void afterStep(loop::FrameLoop& loop, long step);
  void afterDraw(long lastStep, const ZegDevice& zeg);

  void deliver(const InputEvent& e, long step);

  const Options& options_;
  platform::HostEvents* inputTarget_ = nullptr;
  size_t nextInput_ = 0;
  long inputBase_ = 0;  // steps added to the input list's steps in its current repetition
  long lastDrawn_ = 0;
  int sceneAtStart_ = 0;
  long lastStep_ = 0;
  platform::OutputFile trace_;
  platform::OutputFile frameHashes_;
  EventLog eventLog_;
  StepTimes stepTimes_;
  InputLog inputLog_;
  loop::FrameHooks extra_;
  std::string error_;
  bool outputFailed_ = false;
};

}  // namespace app
