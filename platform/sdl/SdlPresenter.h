#pragma once
// Shows frames in an SDL renderer: one streaming texture of the 320 x 240
// frame, scaled by whole numbers with nearest-neighbour sampling.
#include <SDL.h>

#include <string>

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
  // Saves the next presented frame as a PNG at `path`.
  void requestShot(const std::string& path) { shotPath_ = path; }

 private:
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int width_, height_;
  bool hasFrame_ = false;
  std::string shotPath_;
};

}  // namespace platform
