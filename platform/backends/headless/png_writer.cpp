// Screenshots and recorded frames as 8-bit RGB PNG files.
#include <png.h>

#include <cstdio>
#include <new>
#include <vector>

#include "backends/headless/headless_backend.h"

namespace plat {

bool WriteRgbPng(const std::string& path, int width, int height, const RgbRows& rowAt) {
  if (width <= 0 || height <= 0) return false;
  std::vector<png_byte> row;
  try {
    row.resize(static_cast<size_t>(width) * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  // libpng reports failure by longjmp; nothing below owns memory that the
  // jump would leak except the row, which outlives it.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    rowAt(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace plat
