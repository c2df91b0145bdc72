#include "platform/Png.h"

#include <png.h>

#include <cstdio>

namespace platform {

bool writePng(const std::string& path, int width, int height, int channels, const unsigned char* pixels) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::string tmp = path + ".tmp";
  bool ok = png_image_write_to_file(&image, tmp.c_str(), 0, pixels, width * channels, nullptr) != 0;
  png_image_free(&image);
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  std::remove(tmp.c_str());
  return false;
}

bool readPngRgba(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba,
                 std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return true;
}

}  // namespace platform
