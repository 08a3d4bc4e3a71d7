// Finds one set of colours for several pictures together (libimagequant) and maps every
// subject pixel onto it, with dithering. Background pixels stay background.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "indexed_picture.h"
#include "palette_layout.h"
#include "rgba_image.h"

namespace picture_maker {

struct QuantisedSet {
  std::vector<Rgb> colours;  // at most the number asked for
  std::vector<QuantisedPicture> pictures;
};

std::optional<QuantisedSet> QuantiseTogether(const std::vector<RgbaImage>& images, int maxColours,
                                             std::string& error);

}  // namespace picture_maker
