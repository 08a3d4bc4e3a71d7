#include "gdi/pixel_view.h"

namespace plat::gdi {

uint32_t PackDirect(PixelFormat format, uint32_t xrgb) {
  uint32_t r = (xrgb >> 16) & 0xFF, g = (xrgb >> 8) & 0xFF, b = xrgb & 0xFF;
  switch (format) {
    case PixelFormat::kRgb555:
      return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case PixelFormat::kRgb565:
      return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    default:
      return xrgb & 0xFFFFFF;
  }
}

uint32_t UnpackDirect(PixelFormat format, uint32_t raw) {
  uint32_t r, g, b;
  switch (format) {
    case PixelFormat::kRgb555:
      r = (raw >> 10) & 31, g = (raw >> 5) & 31, b = raw & 31;
      return (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
    case PixelFormat::kRgb565:
      r = (raw >> 11) & 31, g = (raw >> 5) & 63, b = raw & 31;
      return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    default:
      return raw & 0xFFFFFF;
  }
}

}  // namespace plat::gdi
