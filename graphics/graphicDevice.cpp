#include "graphics/graphicDevice.h"

#include <cstring>
#include <new>

#include "platform/Presenter.h"

void* ZegDevice::hwnd = nullptr;

ZegDevice::ZegDevice(int w, int h, int bits) {
  if (w <= 0 || h <= 0 || bits <= 0) return;
  // Rows are padded to a multiple of 4 bytes.
  long n = static_cast<long>(w) * bits / 8;
  long remain = 4 - (n % 4);
  if (remain == 4) remain = 0;
  long rowBytes = n + remain;
  if (rowBytes > (1L << 24) || static_cast<long long>(rowBytes) * h > (1LL << 31)) return;
  pixels.reset(new (std::nothrow) unsigned char[static_cast<size_t>(rowBytes) * h]);
  if (!pixels) return;
  // Cleared, so the first presented frame is black rather than undefined.
  std::memset(pixels.get(), 0, static_cast<size_t>(rowBytes) * h);
  stride = static_cast<int>(rowBytes);
  videoMemory = pixels.get() + static_cast<size_t>(h - 1) * stride;
  bytesPerLine = -stride;
  bytesPerPixel = 3;
  width = w;
  height = h;
  myHwnd = hwnd;
  status = 0;
}

ZegDevice::~ZegDevice() = default;

void ZegDevice::draw() {
  platform::Presenter* p = platform::currentPresenter();
  if (p && pixels) p->present({pixels.get(), width, height, stride});
}
