#pragma once
// --input-log: the keys and mouse events a run's player received, each under
// the step it first acted on, written in the --input syntax so that
// `--input @FILE` plays the session again.
#include <string>

#include "platform/OutputFile.h"
#include "platform/Host.h"

namespace app {

// One --input entry for a key change ("12:enter+") or a mouse event
// ("12:click+@40x100"); empty for a key the list has no name for.
std::string inputEntry(long step, unsigned vk, bool down);
std::string inputEntry(long step, const platform::PointerEvent& e);

class InputLog {
 public:
  // False with a reason when the file cannot be started.
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return out_.isOpen(); }
  void key(long step, unsigned vk, bool down);
  void pointer(long step, const platform::PointerEvent& e);
  // Notes the last step and puts the file in place; false with a reason.
  bool finish(long lastStep, std::string& error);
  bool failed() const { return failed_; }

 private:
  void line(const std::string& entry);
  platform::OutputFile out_;
  bool failed_ = false;
};

}  // namespace app
