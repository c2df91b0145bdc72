#pragma once
// Shows frames in an SDL renderer: one streaming texture of the 320 x 240
// frame, scaled by whole numbers with nearest-neighbour sampling.
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/Presenter.h"

namespace platform {

class SdlPresenter : public Presenter {
 public:
  // The renderer is not owned; false from ok() when no texture could be made.
  SdlPresenter(SDL_Renderer* renderer, int width, int height);
  ~SdlPresenter() override;
  SdlPresenter(const SdlPresenter&) = delete;
  SdlPresenter& operator=(const SdlPresenter&) = delete;

  bool ok() const { return texture_ != nullptr; }
  void present(const Frame& frame) override;
  // Shows the last frame again (after an expose or a mode change).
  void repaint();
  // Saves the frame on show as a PNG at `path` (the first frame presented,
  // when none is on show yet).
  void requestShot(const std::string& path);

 private:
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int width_, height_;
  bool hasFrame_ = false;
  // The frame on show, as presented: unchanged frames are not presented
  // again, so a shot is taken from here.
  std::vector<unsigned char> shown_;
  int shownStride_ = 0;
  std::string shotPath_;
  void saveShot();
};

}  // namespace platform
