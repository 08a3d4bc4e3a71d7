#include "gdi/blit_kernel.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plat::gdi {
namespace {

constexpr int kChunk = 256;

// Nearest-neighbour source coordinate of destination offset d (0-based)
// when dstSize pixels show srcSize: the source pixel under the centre.
inline int StretchCoord(int d, int srcSize, int dstSize) {
  return static_cast<int>((static_cast<int64_t>(2 * d + 1) * srcSize) / (2 * static_cast<int64_t>(dstSize)));
}

// Narrows [*lo, *hi) of destination coordinates to those whose source
// coordinate lies inside [0, srcLimit).
void NarrowToSource(int* lo, int* hi, int dstOrigin, int dstSize, int srcOrigin, int srcSize, int srcLimit) {
  if (srcSize == dstSize) {
    *lo = std::max(*lo, dstOrigin - srcOrigin);
    *hi = std::min(*hi, dstOrigin - srcOrigin + srcLimit);
    return;
  }
  while (*lo < *hi && srcOrigin + StretchCoord(*lo - dstOrigin, srcSize, dstSize) < 0) ++*lo;
  while (*lo < *hi && srcOrigin + StretchCoord(*hi - 1 - dstOrigin, srcSize, dstSize) >= srcLimit) --*hi;
}

bool IdentityTable(const uint32_t* table) {
  for (uint32_t i = 0; i < 256; ++i)
    if (table[i] != i) return false;
  return true;
}

struct MatchCache {
  uint32_t key[64];
  uint32_t value[64];
  MatchCache() { std::fill(key, key + 64, 0xFFFFFFFFu); }
};

// Destination values of the source pixels at columns xs[0..n) of one row.
void ConvertRow(const BlitJob& job, const uint8_t* srcRow, const int* xs, int n, uint32_t* out,
                MatchCache* cache) {
  const PixelView& src = job.src;
  PixelView rowView = src;
  rowView.row0 = const_cast<uint8_t*>(srcRow);
  for (int k = 0; k < n; ++k) out[k] = ReadRaw(rowView, xs[k], 0);
  if (src.Indexed()) {
    if (job.table)
      for (int k = 0; k < n; ++k) out[k] = job.table[out[k] & 0xFF];
    return;
  }
  bool dstIndexed = job.dst.Indexed();
  for (int k = 0; k < n; ++k) {
    uint32_t xrgb = UnpackDirect(src.format, out[k]);
    if (!dstIndexed) {
      out[k] = PackDirect(job.dst.format, xrgb);
    } else if (job.matcher.match) {
      uint32_t slot = (xrgb ^ (xrgb >> 7) ^ (xrgb >> 15)) & 63;
      if (cache->key[slot] != xrgb) {
        cache->key[slot] = xrgb;
        cache->value[slot] = job.matcher.match(job.matcher.context, xrgb);
      }
      out[k] = cache->value[slot];
    } else {
      out[k] = 0;
    }
  }
}

void StoreRow(const PixelView& dst, uint8_t* dstRow, int x, const uint32_t* values, int n) {
  switch (dst.bitsPerPixel) {
    case 8:
      for (int k = 0; k < n; ++k) dstRow[x + k] = static_cast<uint8_t>(values[k]);
      break;
    case 32:
      std::memcpy(dstRow + static_cast<ptrdiff_t>(x) * 4, values, static_cast<size_t>(n) * 4);
      break;
    default: {
      PixelView rowView = dst;
      rowView.row0 = dstRow;
      for (int k = 0; k < n; ++k) WriteRaw(rowView, x + k, 0, values[k]);
      break;
    }
  }
}

// 8-bit indices through the table to 32-bit values: every frame of the
// stage on a direct-colour screen goes through here. Eight indices are
// read as one word; byte by byte, the compiler's own vector form of this
// loop is slower still.
void ExpandRow(const uint8_t* __restrict in, uint32_t* __restrict out, int width, const uint32_t* __restrict table) {
  int k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; k + 8 <= width; k += 8) {
      uint64_t eight;
      std::memcpy(&eight, in + k, 8);
      for (int i = 0; i < 8; ++i) out[k + i] = table[(eight >> (8 * i)) & 0xFF];
    }
  }
  for (; k < width; ++k) out[k] = table[in[k]];
}

// ExpandRow for a destination another process reads (a window's shared
// image): stores that bypass the cache save reading each line in first
// and the reader taking it back from our cache; a third of the cost of a
// frame on an X server. Callers end the blit with FinishStreaming.
void ExpandRowStreaming(const uint8_t* __restrict in, uint32_t* __restrict out, int width,
                        const uint32_t* __restrict table) {
#if defined(__SSE2__)
  // Streamed stores pay only for whole cache lines: a line the row covers in
  // part (its ends) is written the ordinary way.
  constexpr uintptr_t kLine = 64;
  int k = 0;
  for (; k < width && (reinterpret_cast<uintptr_t>(out + k) & (kLine - 1)) != 0; ++k) out[k] = table[in[k]];
  const int lineEnd = width - static_cast<int>((reinterpret_cast<uintptr_t>(out + width) & (kLine - 1)) / 4);
  for (; k + 8 <= lineEnd; k += 8) {
    uint64_t eight;
    std::memcpy(&eight, in + k, 8);
    __m128i low, high;
    if (eight == (eight & 0xFF) * 0x0101010101010101ull) {
      // Eight of one colour: the black around and behind the pictures.
      low = high = _mm_set1_epi32(static_cast<int>(table[eight & 0xFF]));
    } else {
      auto at = [&](int i) { return static_cast<int>(table[(eight >> (8 * i)) & 0xFF]); };
      low = _mm_setr_epi32(at(0), at(1), at(2), at(3));
      high = _mm_setr_epi32(at(4), at(5), at(6), at(7));
    }
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + k), low);
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + k + 4), high);
  }
  for (; k < width; ++k) out[k] = table[in[k]];
#else
  ExpandRow(in, out, width, table);
#endif
}

// Streamed stores reach memory in no set order: done before the reader is told.
void FinishStreaming() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

// Same size, 8-bit source: the path every frame of the stage takes.
bool TryFastRow8(const BlitJob& job, const RECT& r, bool identity, bool upward) {
  if (job.src.bitsPerPixel != 8 || !job.table) return false;
  if (job.dst.bitsPerPixel != 8 && job.dst.bitsPerPixel != 32) return false;
  int width = r.right - r.left;
  int sx = job.srcX + (r.left - job.dstX);
  for (int i = 0; i < r.bottom - r.top; ++i) {
    int y = upward ? r.bottom - 1 - i : r.top + i;
    const uint8_t* s = job.src.Row(job.srcY + (y - job.dstY)) + sx;
    uint8_t* d = job.dst.Row(y);
    if (job.dst.bitsPerPixel == 8) {
      d += r.left;
      if (identity) {
        std::memmove(d, s, static_cast<size_t>(width));
      } else {
        for (int k = 0; k < width; ++k) d[k] = static_cast<uint8_t>(job.table[s[k]]);
      }
    } else if (job.streamDestination) {
      ExpandRowStreaming(s, reinterpret_cast<uint32_t*>(d) + r.left, width, job.table);
    } else {
      ExpandRow(s, reinterpret_cast<uint32_t*>(d) + r.left, width, job.table);
    }
  }
  if (job.streamDestination) FinishStreaming();
  return true;
}

// Same size and the same direct format on both sides: plain row copies.
bool TryCopyRows(const BlitJob& job, const RECT& r, bool upward) {
  if (job.src.Indexed() || job.src.format != job.dst.format) return false;
  int bytesPerPixel = job.src.bitsPerPixel / 8;
  size_t bytes = static_cast<size_t>(r.right - r.left) * bytesPerPixel;
  int sx = job.srcX + (r.left - job.dstX);
  for (int i = 0; i < r.bottom - r.top; ++i) {
    int y = upward ? r.bottom - 1 - i : r.top + i;
    const uint8_t* s = job.src.Row(job.srcY + (y - job.dstY)) + static_cast<ptrdiff_t>(sx) * bytesPerPixel;
    uint8_t* d = job.dst.Row(y) + static_cast<ptrdiff_t>(r.left) * bytesPerPixel;
    std::memmove(d, s, bytes);
  }
  return true;
}

}  // namespace

bool ClipRect(RECT* r, const RECT& clip, int width, int height) {
  r->left = std::max({r->left, clip.left, LONG{0}});
  r->top = std::max({r->top, clip.top, LONG{0}});
  r->right = std::min({r->right, clip.right, static_cast<LONG>(width)});
  r->bottom = std::min({r->bottom, clip.bottom, static_cast<LONG>(height)});
  return r->left < r->right && r->top < r->bottom;
}

RECT RunBlit(const BlitJob& job) {
  RECT none = {0, 0, 0, 0};
  if (job.dstWidth <= 0 || job.dstHeight <= 0 || job.srcWidth <= 0 || job.srcHeight <= 0) return none;
  RECT r = {job.dstX, job.dstY, job.dstX + job.dstWidth, job.dstY + job.dstHeight};
  if (!ClipRect(&r, job.clip, job.dst.width, job.dst.height)) return none;
  int left = r.left, right = r.right, top = r.top, bottom = r.bottom;
  NarrowToSource(&left, &right, job.dstX, job.dstWidth, job.srcX, job.srcWidth, job.src.width);
  NarrowToSource(&top, &bottom, job.dstY, job.dstHeight, job.srcY, job.srcHeight, job.src.height);
  if (left >= right || top >= bottom) return none;
  r = RECT{left, top, right, bottom};

  bool sameSize = job.srcWidth == job.dstWidth && job.srcHeight == job.dstHeight;
  // A copy within one picture to rows further down goes bottom row first.
  bool upward = job.src.row0 == job.dst.row0 && job.srcY - job.dstY < 0;
  if (sameSize) {
    bool identity = job.table && job.dst.bitsPerPixel == 8 && IdentityTable(job.table);
    if (TryFastRow8(job, r, identity, upward) || TryCopyRows(job, r, upward)) return r;
  }

  int xs[kChunk];
  uint32_t values[kChunk];
  MatchCache cache;
  for (int i = 0; i < r.bottom - r.top; ++i) {
    int y = upward ? r.bottom - 1 - i : r.top + i;
    int sy = sameSize ? job.srcY + (y - job.dstY)
                      : job.srcY + StretchCoord(y - job.dstY, job.srcHeight, job.dstHeight);
    const uint8_t* srcRow = job.src.Row(sy);
    uint8_t* dstRow = job.dst.Row(y);
    for (int x = r.left; x < r.right; x += kChunk) {
      int n = std::min(kChunk, static_cast<int>(r.right) - x);
      for (int k = 0; k < n; ++k) {
        int d = x + k - job.dstX;
        xs[k] = job.srcX + (job.srcWidth == job.dstWidth ? d : StretchCoord(d, job.srcWidth, job.dstWidth));
      }
      ConvertRow(job, srcRow, xs, n, values, &cache);
      StoreRow(job.dst, dstRow, x, values, n);
    }
  }
  return r;
}

void FillRaw(const PixelView& dst, RECT rect, uint32_t raw) {
  RECT all = {0, 0, dst.width, dst.height};
  if (!ClipRect(&rect, all, dst.width, dst.height)) return;
  int width = rect.right - rect.left;
  for (int y = rect.top; y < rect.bottom; ++y) {
    uint8_t* row = dst.Row(y);
    switch (dst.bitsPerPixel) {
      case 8:
        std::memset(row + rect.left, static_cast<int>(raw & 0xFF), static_cast<size_t>(width));
        break;
      case 32:
        for (int k = 0; k < width; ++k) std::memcpy(row + (rect.left + k) * 4, &raw, 4);
        break;
      default:
        for (int x = rect.left; x < rect.right; ++x) WriteRaw(dst, x, y, raw);
        break;
    }
  }
}

}  // namespace plat::gdi
