#include "diagnostics/DataWatch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace diagnostics {
namespace {

// The story's own files; what the player writes there (error.log, shots,
// traces) is not data.
bool isStoryFile(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  if (name == "kirune.ini") return true;
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  return ext == ".bin" || ext == ".pf1" || ext == ".pcm" || ext == ".fon";
}

}  // namespace

DataWatch::DataWatch(Scan scan, long everySteps)
    : scan_(std::move(scan)), every_(std::max(1L, everySteps)), nextPoll_(every_), baseline_(scan_()) {}

bool DataWatch::poll(long step) {
  if (step < nextPoll_) return false;
  nextPoll_ = step + every_;
  std::string now = scan_();
  if (!changing_) {
    if (now == baseline_) return false;
    changing_ = true;
    pending_ = now;
    return false;
  }
  if (now != pending_) {  // still being written
    pending_ = now;
    return false;
  }
  changing_ = false;
  baseline_ = now;
  return true;
}

std::string DataWatch::scanDirectory(const std::string& dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> entries;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
  // A data directory holds tens of files; a few thousand is plenty to look at.
  for (size_t n = 0; !ec && it != end && n < 10000; it.increment(ec), ++n) {
    std::error_code e2;
    if (!it->is_regular_file(e2) || !isStoryFile(it->path().filename().string())) continue;
    auto size = it->file_size(e2);
    // The count may be wider than long long (libc++ in the browser build).
    const auto time = static_cast<long long>(it->last_write_time(e2).time_since_epoch().count());
    entries.push_back(it->path().string() + "|" + std::to_string(size) + "|" + std::to_string(time));
  }
  std::sort(entries.begin(), entries.end());
  std::string sig;
  for (const auto& e : entries) sig += e + "\n";
  return sig;
}

}  // namespace diagnostics
