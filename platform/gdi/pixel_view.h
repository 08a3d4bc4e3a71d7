// A rectangle of pixels in one of the formats gdi draws to or from: window
// surfaces (8-bit system-palette indices or 0x00RRGGBB words) and DIBs
// (1, 4, 8 bits through a colour table; 16, 24, 32 bits direct).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plat::gdi {

enum class PixelFormat {
  kIndexed,        // 1/4/8 bits, colours from `colours`
  kSystemIndexed,  // 8 bits, indices of the system palette (palette screens)
  kRgb555,         // 16 bits
  kRgb565,         // 16 bits
  kBgr24,          // 3 bytes blue, green, red
  kXrgb32,         // 0x00RRGGBB words
};

struct PixelView {
  uint8_t* row0 = nullptr;  // the top row as shown
  ptrdiff_t pitch = 0;      // signed step to the row shown below
  int width = 0;
  int height = 0;
  int bitsPerPixel = 8;
  PixelFormat format = PixelFormat::kIndexed;
  const RGBQUAD* colours = nullptr;  // kIndexed only
  int colourCount = 0;

  uint8_t* Row(int y) const { return row0 + static_cast<ptrdiff_t>(y) * pitch; }
  bool Indexed() const { return format == PixelFormat::kIndexed || format == PixelFormat::kSystemIndexed; }
};

// 0x00RRGGBB from a colour-table entry and back.
inline uint32_t XrgbOf(RGBQUAD q) {
  return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}
inline RGBQUAD QuadOfXrgb(uint32_t xrgb) {
  return RGBQUAD{static_cast<BYTE>(xrgb), static_cast<BYTE>(xrgb >> 8), static_cast<BYTE>(xrgb >> 16), 0};
}
inline RGBQUAD QuadOfColorref(COLORREF c) {
  return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}
inline COLORREF ColorrefOfQuad(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline RGBQUAD QuadOfEntry(PALETTEENTRY e) { return RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0}; }
inline bool SameColour(RGBQUAD a, RGBQUAD b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// The packed value of a colour in a direct format.
uint32_t PackDirect(PixelFormat format, uint32_t xrgb);
// 0x00RRGGBB of a packed direct value.
uint32_t UnpackDirect(PixelFormat format, uint32_t raw);

// Reads one pixel as stored: the index for indexed formats, else the
// packed value (0x00RRGGBB for 24 and 32 bits).
inline uint32_t ReadRaw(const PixelView& view, int x, int y) {
  const uint8_t* row = view.Row(y);
  switch (view.bitsPerPixel) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
      return row[x];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + x * 2, 2);
      return v;
    }
    case 24:
      return (uint32_t{row[x * 3 + 2]} << 16) | (uint32_t{row[x * 3 + 1]} << 8) | row[x * 3];
    default: {
      uint32_t v;
      std::memcpy(&v, row + x * 4, 4);
      return v & 0xFFFFFF;
    }
  }
}

// Writes one stored value (index, or the format's packed value).
inline void WriteRaw(const PixelView& view, int x, int y, uint32_t value) {
  uint8_t* row = view.Row(y);
  switch (view.bitsPerPixel) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>((value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 4:
      row[x >> 1] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0xF0) | (value & 0x0F)
                                                 : (row[x >> 1] & 0x0F) | ((value & 0x0F) << 4));
      break;
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16: {
      uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(row + x * 2, &v, 2);
      break;
    }
    case 24:
      row[x * 3] = static_cast<uint8_t>(value);
      row[x * 3 + 1] = static_cast<uint8_t>(value >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(value >> 16);
      break;
    default:
      std::memcpy(row + x * 4, &value, 4);
      break;
  }
}

}  // namespace plat::gdi
