#include "platform/Presenter.h"

#include "platform/Png.h"

namespace platform {

static Presenter* g_presenter = nullptr;

void setPresenter(Presenter* presenter) { g_presenter = presenter; }
Presenter* currentPresenter() { return g_presenter; }

std::vector<unsigned char> frameToRgb(const Frame& frame) {
  std::vector<unsigned char> rgb(static_cast<size_t>(frame.width) * frame.height * 3);
  for (int y = 0; y < frame.height; ++y) {
    const unsigned char* src = frame.pixels + static_cast<size_t>(frame.height - 1 - y) * frame.stride;
    unsigned char* dst = &rgb[static_cast<size_t>(y) * frame.width * 3];
    for (int x = 0; x < frame.width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return rgb;
}

void HeadlessPresenter::present(const Frame& frame) {
  rgb_ = frameToRgb(frame);
  width_ = frame.width;
  height_ = frame.height;
  ++presents_;
}

bool HeadlessPresenter::savePng(const std::string& path) const {
  if (presents_ == 0) return false;
  return writePng(path, width_, height_, 3, rgb_.data());
}

}  // namespace platform
