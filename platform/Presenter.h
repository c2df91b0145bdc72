#pragma once
// Presentation seam: the frame buffer hands its storage to whichever
// presenter the platform installed (an SDL window, or the headless one).
#include <string>
#include <vector>

namespace platform {

// A frame as the frame buffer stores it: rows bottom-up (the first stored row
// is the bottom screen row), `stride` bytes apart, 3 bytes per pixel B, G, R.
struct Frame {
  const unsigned char* pixels;
  int width;
  int height;
  int stride;
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows the frame; the pixels are only valid during the call.
  virtual void present(const Frame& frame) = 0;
};

// Installs the presenter the frame buffer draws to (not owned; null: none).
void setPresenter(Presenter* presenter);
Presenter* currentPresenter();

// Converts a frame to top-down R, G, B bytes: pixel (x, y) at (y * width + x) * 3.
std::vector<unsigned char> frameToRgb(const Frame& frame);

// Keeps a copy of the last presented frame; can save it as a PNG.
class HeadlessPresenter : public Presenter {
 public:
  void present(const Frame& frame) override;
  int presents() const { return presents_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<unsigned char>& rgb() const { return rgb_; }  // top-down RGB
  // Writes the last frame as an RGB PNG; false on failure or when none was shown.
  bool savePng(const std::string& path) const;

 private:
  std::vector<unsigned char> rgb_;
  int width_ = 0, height_ = 0, presents_ = 0;
};

}  // namespace platform
