#include "platform/sdl/SdlPresenter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/Png.h"

namespace platform {

SdlPresenter::SdlPresenter(SDL_Renderer* renderer, int width, int height)
    : renderer_(renderer), width_(width), height_(height) {
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
}

SdlPresenter::~SdlPresenter() {
  if (texture_) SDL_DestroyTexture(texture_);
}

void SdlPresenter::present(const Frame& frame) {
  if (!texture_ || !frame.pixels || frame.width != width_ || frame.height != height_) return;
  void* out = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &out, &pitch) != 0) return;
  // Screen row y is stored row (height - 1 - y); stored pixels are B, G, R.
  // texel = 0xFF000000 | r << 16 | g << 8 | b
  for (int y = 0; y < height_; ++y) {
    const unsigned char* src = frame.pixels + static_cast<size_t>(height_ - 1 - y) * frame.stride;
    auto* dst = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(out) + static_cast<size_t>(y) * pitch);
    for (int x = 0; x < width_; ++x, src += 3) {
      dst[x] = 0xFF000000u | (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
    }
  }
  SDL_UnlockTexture(texture_);
  hasFrame_ = true;
  shown_.assign(frame.pixels, frame.pixels + static_cast<size_t>(frame.stride) * frame.height);
  shownStride_ = frame.stride;
  repaint();
  if (!shotPath_.empty()) saveShot();
}

void SdlPresenter::requestShot(const std::string& path) {
  shotPath_ = path;
  if (hasFrame_) saveShot();
}

void SdlPresenter::saveShot() {
  std::vector<unsigned char> rgb = frameToRgb({shown_.data(), width_, height_, shownStride_});
  std::string why;
  if (writePng(shotPath_, width_, height_, 3, rgb.data(), &why)) {
    std::fprintf(stderr, "lmplayer: saved %s\n", shotPath_.c_str());
  } else {
    std::fprintf(stderr, "lmplayer: screenshot: %s\n", why.c_str());
  }
  shotPath_.clear();
}

void SdlPresenter::repaint() {
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (hasFrame_) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

}  // namespace platform
