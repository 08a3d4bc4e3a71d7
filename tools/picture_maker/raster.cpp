#include "raster.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>

namespace picture_maker {
namespace {

std::string TakeMessage(GError* error) {
  std::string message = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  return message;
}

}  // namespace

std::optional<RgbaImage> RasteriseOverBlack(const std::string& svgPath, int width, int height,
                                            std::string& error) {
  GError* gerror = nullptr;
  RsvgHandle* handle = rsvg_handle_new_from_file(svgPath.c_str(), &gerror);
  if (!handle) {
    error = svgPath + ": " + TakeMessage(gerror);
    return std::nullopt;
  }
  gdouble svgWidth = 0, svgHeight = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &svgWidth, &svgHeight) ||
      std::lround(svgWidth) != width || std::lround(svgHeight) != height) {
    error = svgPath + ": the drawing must be " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels";
    g_object_unref(handle);
    return std::nullopt;
  }

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cairo = cairo_create(surface);
  RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
  bool drawn = rsvg_handle_render_document(handle, cairo, &viewport, &gerror);
  cairo_destroy(cairo);
  g_object_unref(handle);
  if (!drawn) {
    error = svgPath + ": " + TakeMessage(gerror);
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  cairo_surface_flush(surface);

  // Cairo keeps premultiplied colours, which are exactly the colours over black.
  RgbaImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0)};
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      uint32_t pixel = row[x];
      if (static_cast<int>(pixel >> 24) < kBackgroundCover) continue;
      uint8_t* out = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
      out[0] = static_cast<uint8_t>(pixel >> 16);
      out[1] = static_cast<uint8_t>(pixel >> 8);
      out[2] = static_cast<uint8_t>(pixel);
      out[3] = 255;
    }
  }
  cairo_surface_destroy(surface);
  return image;
}

}  // namespace picture_maker
