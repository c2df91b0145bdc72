#include "app/EventLog.h"

#include "platform/OutputFile.h"

namespace app {

bool EventLog::open(const std::string& path, std::string& error) {
  std::string why;
  file_.reset(platform::openOutputInPlace(path, why));
  if (!file_) error = "--event-log: " + why;
  return file_ != nullptr;
}

void EventLog::write(const std::string& line) {
  if (!file_) return;
  if (std::fputs(line.c_str(), file_.get()) < 0 || std::fflush(file_.get()) != 0) failed_ = true;
}

void EventLog::keysSeen(long step, int bits) {
  if (bits == lastBits_) return;
  lastBits_ = bits;
  char line[48];
  std::snprintf(line, sizeof line, "%ld keys %02x\n", step, static_cast<unsigned>(bits));
  write(line);
}

void EventLog::key(long step, unsigned vk, bool down) {
  char line[48];
  std::snprintf(line, sizeof line, "%ld key %02x %s\n", step, vk, down ? "down" : "up");
  write(line);
}

void EventLog::event(long step, const std::string& what) { write(std::to_string(step) + " " + what + "\n"); }

bool StepTimes::open(const std::string& path, std::string& error) {
  std::string why;
  file_.reset(platform::openOutputInPlace(path, why));
  if (!file_) error = "--step-times: " + why;
  return file_ != nullptr;
}

void StepTimes::stepStarts(long step) {
  if (!file_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!started_) {
    first_ = now;
    started_ = true;
  }
  const double ms = std::chrono::duration<double, std::milli>(now - first_).count();
  // Flushed: a test may wait on the count of steps run.
  if (std::fprintf(file_.get(), "%ld %.3f\n", step, ms) < 0 || std::fflush(file_.get()) != 0) failed_ = true;
}

}  // namespace app
