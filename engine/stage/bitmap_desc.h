// The descriptor every bitmap exposes: the pixel and colour routines work on
// this alone, whichever kind of bitmap is behind it.
#pragma once

#include <windows.h>

#include <cstdint>

// Copy-mode bits of BitmapDesc::flags.
constexpr uint32_t kBitmapTransparent = 1;  // keyed copy: skip the transparent index
constexpr uint32_t kBitmapRemap = 2;        // copy through a translation table

struct BitmapDesc {
  int32_t width;
  int32_t height;  // always positive
  int32_t bitsPerPixel;
  int32_t planes;
  int32_t stride;  // bytes per row in memory, a multiple of 4
  int32_t pitch;   // step to the row shown below: +stride top-down, -stride bottom-up
  BOOL topDown;
  uint8_t* bits;     // lowest address of the pixels
  uint8_t* row0;     // first byte of the top row on screen
  RGBQUAD* colours;  // 2^bitsPerPixel entries, or null
  int32_t paletteVersion;
  uint32_t transparentIndex;  // low byte is the keyed index
  uint32_t flags;

  uint8_t* Pixel(int x, int y) const { return row0 + static_cast<intptr_t>(y) * pitch + x; }
  int ColourCount() const { return bitsPerPixel >= 1 && bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0; }
};
