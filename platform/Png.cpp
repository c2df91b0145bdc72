#include "platform/Png.h"

#include <png.h>

#include <new>

#include "platform/OutputFile.h"

namespace platform {

bool writePng(const std::string& path, int width, int height, int channels, const unsigned char* pixels,
              std::string* error) {
  std::string why;
  bool ok = false;
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels) {
    why = "cannot write '" + path + "': no picture";
  } else {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const png_int_32 stride = width * channels;
    png_alloc_size_t size = 0;
    std::vector<unsigned char> bytes;
    try {
      // The first call measures, the second encodes into the buffer.
      if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels, stride, nullptr)) {
        bytes.resize(size);
        ok = png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, stride, nullptr) != 0;
        bytes.resize(size);
      }
    } catch (const std::bad_alloc&) {
      ok = false;
    }
    if (!ok) why = "cannot encode '" + path + "': " + (image.message[0] ? image.message : "out of memory");
    png_image_free(&image);
    if (ok) ok = writeFileAtomic(path, bytes, why);
  }
  if (!ok && error) *error = why;
  return ok;
}

bool readPngRgba(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba,
                 std::string* error, long long maxPixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
  }
  if (maxPixels > 0 && static_cast<long long>(image.width) * image.height > maxPixels) {
    if (error)
      *error = std::to_string(image.width) + "x" + std::to_string(image.height) + " is more than " +
               std::to_string(maxPixels) + " pixels";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  try {
    rgba.assign(PNG_IMAGE_SIZE(image), 0);
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory";
    png_image_free(&image);
    return false;
  }
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
