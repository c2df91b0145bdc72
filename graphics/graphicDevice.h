#pragma once
// The one 320 x 240 x 24 off-screen frame buffer every drawing operation writes into.
#include <memory>

class ZegDevice {
 public:
  // Set by the shell before construction; the window the buffer is shown in.
  static void* hwnd;

  ZegDevice(int width, int height, int bits);
  ~ZegDevice();
  ZegDevice(const ZegDevice&) = delete;
  ZegDevice& operator=(const ZegDevice&) = delete;

  // 0 ready, 1 an allocation failed during construction.
  int checkError() const { return status; }
  // Presents the whole buffer through the platform's presenter, 1:1.
  void draw();

  // Stored rows, bottom-up, `stride` bytes each; null after a failed construction.
  const unsigned char* storage() const { return pixels.get(); }
  int storageStride() const { return stride; }

 private:
  std::unique_ptr<unsigned char[]> pixels;
  int stride = 0;
  int status = 1;
  void* myHwnd = nullptr;

 public:
  unsigned char* videoMemory = nullptr;  // first byte of the TOP screen row
  int bytesPerLine = 0;                  // distance to the row below: negative (-stride)
  int bytesPerPixel = 3;                 // B, G, R at +0, +1, +2
  int width = 0;
  int height = 0;
};
