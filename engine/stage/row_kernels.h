// The inner loops of the pixel copies and the fill: one row of 8-bit
// pixels each. Any width (0 included) and any alignment; the results are
// exactly the pixel-by-pixel rules.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rows {

void CopyOpaque(uint8_t* dst, const uint8_t* src, size_t width);
// Writes dst[i] = src[i] where src[i] != key.
void CopyKeyed(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key);
void CopyOpaqueMapped(uint8_t* dst, const uint8_t* src, size_t width, const uint8_t* table);
// Writes dst[i] = table[src[i]] where src[i] != key.
void CopyKeyedMapped(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key, const uint8_t* table);
void Fill(uint8_t* dst, size_t width, uint8_t index);

}  // namespace rows
