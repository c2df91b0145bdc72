#include "video/RenderProgress.h"

namespace video {

RenderProgress::RenderProgress(std::FILE* out, long total)
    : out_(out), total_(total), start_(std::chrono::steady_clock::now()), last_(start_) {}

void RenderProgress::update(long step) {
  if (!out_ || total_ <= 0 || step <= 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < std::chrono::seconds(1)) return;
  last_ = now;
  const double spent = std::chrono::duration<double>(now - start_).count();
  const double left = spent / static_cast<double>(step) * static_cast<double>(total_ - step);
  std::fprintf(out_, "\rlmplayer: video: step %ld of %ld, %.0f s left \x1b[K", step, total_, left);
  std::fflush(out_);
  shown_ = true;
}

void RenderProgress::done() {
  if (!shown_) return;
  std::fprintf(out_, "\r\x1b[K");
  std::fflush(out_);
  shown_ = false;
}

}  // namespace video
