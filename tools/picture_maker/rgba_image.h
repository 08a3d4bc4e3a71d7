// A rendered picture, already composed over black: every pixel is either background (alpha 0)
// or opaque subject (alpha 255).
#pragma once

#include <cstdint>
#include <vector>

namespace picture_maker {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel, top row first

  bool IsBackground(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] == 0; }
};

}  // namespace picture_maker
