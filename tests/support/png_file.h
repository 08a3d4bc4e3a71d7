// Screenshots read back: a PNG file as rows of red, green and blue bytes.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct RgbPicture {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<uint8_t> pixels;  // empty when the file could not be read
  const uint8_t* At(unsigned x, unsigned y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline RgbPicture ReadPngRgb(const std::string& path) {
  RgbPicture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return picture;
  }
  picture.width = image.width;
  picture.height = image.height;
  picture.pixels = std::move(pixels);
  return picture;
}

}  // namespace testsupport
