// Uncompressed 8-bit frames: rows padded to 4 bytes, bottom-up unless the
// format's height is negative.
#include <cstring>

#include "vfw/codecs.h"

namespace plat::vfw {

LRESULT DecodeRaw8(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out) {
  const size_t stride = (static_cast<size_t>(out.width) + 3) & ~size_t{3};
  // A short frame is refused whole: a torn picture is worse than the last one.
  if (size / stride < static_cast<size_t>(out.height)) return ICERR_BADSIZE;
  for (int i = 0; i < out.height; ++i) {
    int fromTop = inputTopDown ? i : out.height - 1 - i;
    std::memcpy(out.Row(fromTop), data + static_cast<size_t>(i) * stride, static_cast<size_t>(out.width));
  }
  return ICERR_OK;
}

}  // namespace plat::vfw
