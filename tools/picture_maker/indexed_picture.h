// An 8-bit picture with its 256-entry colour table, as the pictures and icons are stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace picture_maker {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

using ColourTable = std::array<Rgb, 256>;

struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height indices, top row first
  uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

}  // namespace picture_maker
