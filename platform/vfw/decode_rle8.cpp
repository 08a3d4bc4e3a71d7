// RLE8 frames as in 8-bit run-length DIBs: runs, end of line, end of
// picture, cursor moves and literal strings. Pixels not coded keep the
// previous frame. Runs are clipped to the row; anything past the last row is
// dropped; the input is never read past its end.
#include <algorithm>
#include <cstring>

#include "vfw/codecs.h"

namespace plat::vfw {

LRESULT DecodeRle8(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out) {
  size_t at = 0;
  int x = 0;
  int line = 0;  // rows in the order the data codes them
  auto row = [&](int l) { return out.Row(inputTopDown ? l : out.height - 1 - l); };
  while (at + 2 <= size && line < out.height) {
    const uint8_t count = data[at];
    const uint8_t code = data[at + 1];
    at += 2;
    if (count > 0) {
      if (x < out.width) {
        int n = std::min<int>(count, out.width - x);
        std::memset(row(line) + x, code, static_cast<size_t>(n));
      }
      x = std::min(x + count, out.width);
      continue;
    }
    if (code == 0) {
      x = 0;
      ++line;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (at + 2 > size) break;
      x = std::min(x + data[at], out.width);
      line += data[at + 1];
      at += 2;
    } else {
      size_t n = std::min<size_t>(code, size - at);
      if (x < out.width) {
        size_t shown = std::min<size_t>(n, static_cast<size_t>(out.width - x));
        std::memcpy(row(line) + x, data + at, shown);
      }
      x = std::min(x + code, out.width);
      at += (static_cast<size_t>(code) + 1) & ~size_t{1};  // strings are padded to 16 bits
    }
  }
  return ICERR_OK;
}

}  // namespace plat::vfw
