// Little-endian fields of files and resources, read from and written to byte
// buffers. Standard C++ only, so that every layer may use it: the engine's
// readers, the Win32 subset, the tools and the tests.
#pragma once

#include <cstdint>

constexpr uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

constexpr void WriteLe16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

constexpr void WriteLe32(uint8_t* p, uint32_t value) {
  WriteLe16(p, static_cast<uint16_t>(value));
  WriteLe16(p + 2, static_cast<uint16_t>(value >> 16));
}
