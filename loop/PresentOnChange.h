#pragma once
// Hands the frame buffer to the window only when it holds a frame other than
// the last one handed over. A story spends most of its time on a still
// screen: drawing goes on at every due tick, but an unchanged frame costs
// the window (conversion, upload, compositing) nothing. When the window
// itself needs the frame again (exposed, resized, full screen) it is handed
// over whatever it holds.
#include <cstddef>
#include <vector>

class ZegDevice;
namespace platform {
class Presenter;
}

namespace loop {

class PresentOnChange {
 public:
  // Presents `zeg` unless it equals the last frame presented through this
  // object to the presenter installed now; true when it presented. With no
  // presenter installed nothing is compared or kept.
  bool ifChanged(ZegDevice& zeg);
  // Presents `zeg` whatever it holds.
  void always(ZegDevice& zeg);

  long presented() const { return presented_; }
  long skipped() const { return skipped_; }

 private:
  void present(ZegDevice& zeg, size_t bytes);

  std::vector<unsigned char> last_;
  const platform::Presenter* to_ = nullptr;
  long presented_ = 0;
  long skipped_ = 0;
};

}  // namespace loop
