#include "byte_helpers.h"

#include <cstring>

void CopyBytes(void* dest, const void* src, long count) {
  if (count <= 0) return;
  std::memcpy(dest, src, static_cast<size_t>(count));
}

void FillBytes(void* dest, uint32_t value, unsigned long count) {
  if (count == 0) return;
  std::memset(dest, static_cast<int>(value & 0xFF), count);
}

void FillWords(void* dest, uint16_t pattern, long count) {
  if (count <= 0) return;
  auto* out = static_cast<uint8_t*>(dest);
  const uint8_t lo = static_cast<uint8_t>(pattern & 0xFF);
  const uint8_t hi = static_cast<uint8_t>(pattern >> 8);
  if (lo == hi) {
    std::memset(out, lo, static_cast<size_t>(count) * 2);
    return;
  }
  // Build 16 bytes of the pattern once and copy them in blocks.
  uint8_t block[16];
  for (int i = 0; i < 16; i += 2) {
    block[i] = lo;
    block[i + 1] = hi;
  }
  size_t bytes = static_cast<size_t>(count) * 2;
  while (bytes >= sizeof block) {
    std::memcpy(out, block, sizeof block);
    out += sizeof block;
    bytes -= sizeof block;
  }
  std::memcpy(out, block, bytes);
}
