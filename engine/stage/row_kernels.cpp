#include "stage/row_kernels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ORVANEL_ROWS_AVX2 1
#endif

// Rows move 32 pixels at a time where AVX2 is there, 16 with SSE2 (every
// x86-64), with unaligned loads and stores; what is left of a row goes
// pixel by pixel.

namespace rows {

void CopyOpaque(uint8_t* dst, const uint8_t* src, size_t width) {
  if (width) std::memcpy(dst, src, width);
}

namespace {

#if ORVANEL_ROWS_AVX2
// 32 pixels a step where the processor has AVX2; returns how many pixels
// it did.
__attribute__((target("avx2"))) size_t CopyKeyedWide(uint8_t* dst, const uint8_t* src, size_t width,
                                                     uint8_t key) {
  const __m256i keys = _mm256_set1_epi8(static_cast<char>(key));
  size_t i = 0;
  for (; i + 32 <= width; i += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i* out = reinterpret_cast<__m256i*>(dst + i);
    const __m256i d = _mm256_loadu_si256(out);
    _mm256_storeu_si256(out, _mm256_blendv_epi8(s, d, _mm256_cmpeq_epi8(s, keys)));
  }
  return i;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

void CopyKeyed(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
  size_t i = 0;
#if ORVANEL_ROWS_AVX2
  if (width >= 32 && HasAvx2()) i = CopyKeyedWide(dst, src, width, key);
#endif
#if defined(__SSE2__)
  // Sprite rows mix short runs, so a branch per block would mostly guess
  // wrong: every block is blended with what the target holds.
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= width; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    const __m128i clear = _mm_cmpeq_epi8(s, keys);
    const __m128i d = _mm_loadu_si128(out);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, s)));
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
