// Microsoft Video 1 at 8 bits: 4 x 4 blocks from the bottom-left, each a
// skip count, one colour, two colours with a 16-bit mask, or eight colours
// (two per quarter). Skipped blocks keep the previous frame; the blocks
// end where the data does.
#include <algorithm>

#include "vfw/codecs.h"

namespace plat::vfw {

LRESULT DecodeVideo1(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out) {
  const int blocksWide = out.width / 4;
  const int blocksHigh = out.height / 4;
  size_t at = 0;
  int skip = 0;
  // Row r of the block at block row by, counted upwards from the block's bottom.
  auto pixelRow = [&](int by, int r) {
    int fromBottom = by * 4 + r;
    return out.Row(inputTopDown ? fromBottom : out.height - 1 - fromBottom);
  };
  for (int by = 0; by < blocksHigh; ++by) {
    for (int bx = 0; bx < blocksWide; ++bx) {
      if (skip > 0) {
        --skip;
        continue;
      }
      if (at + 2 > size) return ICERR_OK;
      const uint8_t a = data[at], b = data[at + 1];
      at += 2;
      uint8_t colours[8];
      unsigned flags = static_cast<unsigned>(b << 8 | a);
      if ((b & 0xFC) == 0x84) {
        skip = ((b - 0x84) << 8) + a - 1;
        continue;
      }
      if (b < 0x80) {
        if (at + 2 > size) return ICERR_OK;
        colours[0] = data[at];
        colours[1] = data[at + 1];
        at += 2;
        for (int r = 0; r < 4; ++r) {
          uint8_t* p = pixelRow(by, r) + bx * 4;
          for (int c = 0; c < 4; ++c, flags >>= 1) p[c] = colours[(flags & 1) ^ 1];
        }
      } else if (b >= 0x90) {
        if (at + 8 > size) return ICERR_OK;
        std::copy(data + at, data + at + 8, colours);
        at += 8;
        for (int r = 0; r < 4; ++r) {
          uint8_t* p = pixelRow(by, r) + bx * 4;
          for (int c = 0; c < 4; ++c, flags >>= 1) p[c] = colours[((r & 2) << 1) + (c & 2) + ((flags & 1) ^ 1)];
        }
      } else {
        for (int r = 0; r < 4; ++r) std::fill_n(pixelRow(by, r) + bx * 4, 4, a);
      }
    }
  }
  return ICERR_OK;
}

}  // namespace plat::vfw
