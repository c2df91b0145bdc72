#include "app/InputLog.h"

#include "app/Options.h"

namespace app {

std::string inputEntry(long step, unsigned vk, bool down) {
  const char* name = inputKeyName(vk);
  if (!name) return "";
  return std::to_string(step) + ":" + name + (down ? "+" : "-");
}

std::string inputEntry(long step, const platform::PointerEvent& e) {
  static const char* const kNames[] = {"move", "click+", "click-", "rclick+", "rclick-", "wheelup", "wheeldown"};
  const auto kind = static_cast<size_t>(e.kind);
  if (kind >= sizeof kNames / sizeof kNames[0]) return "";
  return std::to_string(step) + ":" + kNames[kind] + "@" + std::to_string(e.x) + "x" + std::to_string(e.y);
}

bool InputLog::open(const std::string& path, std::string& error) {
  if (!out_.open(path, error)) {
    error = "--input-log: " + error;
    return false;
  }
  line("# lmplayer input log: replay with --input @FILE and the --steps of its last line");
  return true;
}

void InputLog::line(const std::string& entry) {
  if (entry.empty() || !out_.isOpen()) return;
  const std::string text = entry + "\n";
  if (!out_.write(text.data(), text.size())) failed_ = true;
}

void InputLog::key(long step, unsigned vk, bool down) { line(inputEntry(step, vk, down)); }

void InputLog::pointer(long step, const platform::PointerEvent& e) { line(inputEntry(step, e)); }

bool InputLog::finish(long lastStep, std::string& error) {
  if (!out_.isOpen()) return true;
  line("# the run ended after step " + std::to_string(lastStep));
  if (!out_.commit(error)) {
    error = "--input-log: " + error;
    return false;
  }
  return !failed_;
}

}  // namespace app
