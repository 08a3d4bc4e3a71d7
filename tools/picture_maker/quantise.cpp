#include "quantise.h"

#include <libimagequant.h>

#include <algorithm>
#include <climits>

namespace picture_maker {
namespace {

// The pictures are quantised as one sheet, stacked with a background row between them, so that
// a single remapping gives them all the same colours.
struct Sheet {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  std::vector<int> top;
};

Sheet StackPictures(const std::vector<RgbaImage>& images) {
  Sheet sheet;
  for (const RgbaImage& image : images) {
    sheet.width = std::max(sheet.width, image.width);
    sheet.height += image.height + 1;
  }
  sheet.rgba.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 0);
  int y0 = 0;
  for (const RgbaImage& image : images) {
    sheet.top.push_back(y0);
    for (int y = 0; y < image.height; ++y) {
      std::copy_n(&image.rgba[static_cast<size_t>(y) * image.width * 4], image.width * 4,
                  &sheet.rgba[static_cast<size_t>(y0 + y) * sheet.width * 4]);
    }
    y0 += image.height + 1;
  }
  return sheet;
}

int NearestOpaque(const liq_palette& palette, const liq_color& colour) {
  int best = -1;
  int bestDistance = INT_MAX;
  for (unsigned i = 0; i < palette.count; ++i) {
    const liq_color& entry = palette.entries[i];
    if (entry.a != 255) continue;
    int dr = entry.r - colour.r, dg = entry.g - colour.g, db = entry.b - colour.b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) bestDistance = distance, best = static_cast<int>(i);
  }
  return best;
}

}  // namespace

std::optional<QuantisedSet> QuantiseTogether(const std::vector<RgbaImage>& images, int maxColours,
                                             std::string& error) {
  Sheet sheet = StackPictures(images);
  liq_attr* attributes = liq_attr_create();
  // One more than wanted: the background takes an entry of its own, dropped below.
  liq_set_max_colors(attributes, maxColours + 1);
  liq_set_speed(attributes, 1);
  liq_image* image = liq_image_create_rgba(attributes, sheet.rgba.data(), sheet.width, sheet.height, 0);
  liq_result* result = nullptr;
  if (!image || liq_image_quantize(image, attributes, &result) != LIQ_OK) {
    error = "the colours could not be reduced";
    if (image) liq_image_destroy(image);
    liq_attr_destroy(attributes);
    return std::nullopt;
  }
  liq_set_dithering_level(result, 1.0f);
  std::vector<uint8_t> remapped(static_cast<size_t>(sheet.width) * sheet.height);
  liq_write_remapped_image(result, image, remapped.data(), remapped.size());
  const liq_palette& palette = *liq_get_palette(result);

  // Opaque entries become subject colours in the quantiser's order; a subject pixel that the
  // dithering put on the background entry takes the nearest opaque colour instead.
  std::vector<int16_t> subjectOf(palette.count, -1);
  QuantisedSet set;
  for (unsigned i = 0; i < palette.count; ++i) {
    if (palette.entries[i].a != 255) continue;
    subjectOf[i] = static_cast<int16_t>(set.colours.size());
    set.colours.push_back({palette.entries[i].r, palette.entries[i].g, palette.entries[i].b});
  }
  bool fits = static_cast<int>(set.colours.size()) <= maxColours;
  for (size_t n = 0; n < images.size() && fits; ++n) {
    const RgbaImage& source = images[n];
    QuantisedPicture picture{source.width, source.height, {}};
    picture.colourOf.resize(static_cast<size_t>(source.width) * source.height, -1);
    for (int y = 0; y < source.height; ++y) {
      for (int x = 0; x < source.width; ++x) {
        if (source.IsBackground(x, y)) continue;
        int entry = remapped[static_cast<size_t>(sheet.top[n] + y) * sheet.width + x];
        if (subjectOf[entry] < 0) {
          const uint8_t* rgba = &source.rgba[(static_cast<size_t>(y) * source.width + x) * 4];
          entry = NearestOpaque(palette, liq_color{rgba[0], rgba[1], rgba[2], 255});
          if (entry < 0) continue;
        }
        picture.colourOf[static_cast<size_t>(y) * source.width + x] = subjectOf[entry];
      }
    }
    set.pictures.push_back(std::move(picture));
  }
  liq_result_destroy(result);
  liq_image_destroy(image);
  liq_attr_destroy(attributes);
  if (!fits) {
    error = "the quantiser gave more colours than asked for";
    return std::nullopt;
  }
  return set;
}

}  // namespace picture_maker
