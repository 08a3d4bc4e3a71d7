#include <png.h>

#include <cstdio>

#include "mtool/mtool.h"

namespace mtool {

bool WritePalettePng(const std::string& path, int width, int height, const uint8_t* indices, const uint8_t* bgrx) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colours[256];
  for (int i = 0; i < 256; ++i) {
    colours[i].blue = bgrx[4 * i];
    colours[i].green = bgrx[4 * i + 1];
    colours[i].red = bgrx[4 * i + 2];
  }
  png_set_PLTE(png, info, colours, 256);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, indices + static_cast<size_t>(y) * width);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace mtool
