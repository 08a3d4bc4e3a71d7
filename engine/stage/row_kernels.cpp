#include "stage/row_kernels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Rows move 16 pixels at a time where SSE2 is there (every x86-64), with
// unaligned loads and stores; a keyed block is skipped when all of it is
// transparent, stored whole when none is, and blended with the target
// otherwise. What is left of a row goes pixel by pixel.

namespace rows {

void CopyOpaque(uint8_t* dst, const uint8_t* src, size_t width) {
  if (width) std::memcpy(dst, src, width);
}

void CopyKeyed(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= width; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i clear = _mm_cmpeq_epi8(s, keys);
    const int mask = _mm_movemask_epi8(clear);
    if (mask == 0xFFFF) continue;
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    if (mask == 0) {
      _mm_storeu_si128(out, s);
    } else {
      const __m128i d = _mm_loadu_si128(out);
      _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, s)));
    }
  }
#endif
  for (; i < width; ++i)
    if (src[i] != key) dst[i] = src[i];
}

void CopyOpaqueMapped(uint8_t* dst, const uint8_t* src, size_t width, const uint8_t* table) {
  size_t i = 0;
  for (; i + 4 <= width; i += 4) {
    dst[i] = table[src[i]];
    dst[i + 1] = table[src[i + 1]];
    dst[i + 2] = table[src[i + 2]];
    dst[i + 3] = table[src[i + 3]];
  }
  for (; i < width; ++i) dst[i] = table[src[i]];
}

void CopyKeyedMapped(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key, const uint8_t* table) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= width; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(s, keys));
    if (mask == 0xFFFF) continue;
    if (mask == 0) {
      for (size_t j = i; j < i + 16; ++j) dst[j] = table[src[j]];
    } else {
      for (size_t j = i; j < i + 16; ++j)
        if (src[j] != key) dst[j] = table[src[j]];
    }
  }
#endif
  for (; i < width; ++i)
    if (src[i] != key) dst[i] = table[src[i]];
}

void Fill(uint8_t* dst, size_t width, uint8_t index) {
  if (width) std::memset(dst, index, width);
}

}  // namespace rows
