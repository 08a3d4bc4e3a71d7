// Writes Windows icon files (.ico) with 8-bit images: a 256-colour table, the colour bitmap and
// the 1-bit mask whose set bits let the screen show through.
#pragma once

#include <cstdint>
#include <vector>

#include "indexed_picture.h"

namespace picture_maker {

struct IconImage {
  IndexedPicture picture;  // transparent pixels hold index 0
  ColourTable colours;
  std::vector<bool> transparent;  // width * height, top row first
};

std::vector<uint8_t> WriteIcon(const std::vector<IconImage>& images);

}  // namespace picture_maker
