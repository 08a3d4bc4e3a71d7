// The screen's windows as one PNG, made from the windows' own surfaces in
// stacking order (what a compositor would show, without its decorations).
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include "backends/sdl2/sdl_backend.h"
#include "core/system_palette.h"

namespace plat::sdl {
namespace {

bool WriteRgbPng(const char* path, int width, int height, const std::vector<uint8_t>& rgb) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;  // survives libpng's longjmp
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * width * 3]);
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool SdlBackend::WritePng(const char* path) {
  int width = screenWidth_, height = screenHeight_;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
  if (depth_ == 8) RefreshPaletteTable();
  // Top-most windows lie above the others whatever their order.
  for (int pass = 0; pass < 2; ++pass) {
    for (auto& entry : windows_) {
      SdlWindow* window = entry.get();
      int originX = 0, originY = 0;
      if (window->topMost != (pass == 1) || !window->visible || !ScreenOrigin(window, &originX, &originY))
        continue;
      CopyWindow(*window, originX, originY, width, height, &rgb);
    }
  }
  return WriteRgbPng(path, width, height, rgb);
}

// originX, originY and the picture's size are the real screen's: each of
// the surface's pixels is a block of scale x scale there.
void SdlBackend::CopyWindow(const SdlWindow& window, int originX, int originY, int width, int height,
                            std::vector<uint8_t>* rgb) {
  const Surface& surface = window.surface;
  int realWidth = Real(surface.width), realHeight = Real(surface.height);
  for (int y = std::max(0, -originY); y < realHeight && originY + y < height; ++y) {
    const uint8_t* row = surface.pixels + static_cast<size_t>(y / scale_) * surface.pitch;
    for (int x = std::max(0, -originX); x < realWidth && originX + x < width; ++x) {
      int sx = x / scale_;
      uint32_t pixel = surface.depth == 8
                           ? paletteTable_[row[sx]]
                           : (uint32_t{row[sx * 4 + 2]} << 16) | (uint32_t{row[sx * 4 + 1]} << 8) | row[sx * 4];
      uint8_t* out = &(*rgb)[(static_cast<size_t>(originY + y) * width + originX + x) * 3];
      out[0] = static_cast<uint8_t>(pixel >> 16);
      out[1] = static_cast<uint8_t>(pixel >> 8);
      out[2] = static_cast<uint8_t>(pixel);
    }
  }
}

}  // namespace plat::sdl
