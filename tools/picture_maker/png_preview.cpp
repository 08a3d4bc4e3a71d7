#include "png_preview.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

#include "palette_layout.h"

namespace picture_maker {
namespace {

bool WritePng(const std::string& path, int width, int height, int colourType, const ColourTable* colours,
              const std::vector<uint8_t>& pixels, int bytesPerPixel) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color entries[256];
  if (colours) {
    for (int i = 0; i < 256; ++i) entries[i] = {(*colours)[i].red, (*colours)[i].green, (*colours)[i].blue};
    png_set_PLTE(png, info, entries, 256);
  }
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, &pixels[static_cast<size_t>(y) * width * bytesPerPixel]);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace

bool WriteIndexedPng(const std::string& path, const IndexedPicture& picture, const ColourTable& colours) {
  return WritePng(path, picture.width, picture.height, PNG_COLOR_TYPE_PALETTE, &colours, picture.pixels, 1);
}

bool WriteSheetPng(const std::string& path, const std::vector<IndexedPicture>& pictures,
                   const ColourTable& colours, Rgb backdrop) {
  constexpr int kGap = 16;
  int width = kGap, height = 0;
  for (const IndexedPicture& picture : pictures) {
    width += picture.width + kGap;
    height = std::max(height, picture.height);
  }
  height += 2 * kGap;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = backdrop.red, rgb[i + 1] = backdrop.green, rgb[i + 2] = backdrop.blue;
  }
  int left = kGap;
  for (const IndexedPicture& picture : pictures) {
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        uint8_t index = picture.At(x, y);
        if (index == kBackgroundIndex) continue;
        uint8_t* out = &rgb[(static_cast<size_t>(kGap + y) * width + left + x) * 3];
        out[0] = colours[index].red, out[1] = colours[index].green, out[2] = colours[index].blue;
      }
    }
    left += picture.width + kGap;
  }
  return WritePng(path, width, height, PNG_COLOR_TYPE_RGB, nullptr, rgb, 3);
}

}  // namespace picture_maker
