// Reading a BITMAPINFO as callers pass it to CreateDIBSection and the DIB
// drawing calls: geometry, pixel format and colour table.
#pragma once

#include <windows.h>

#include "gdi/objects.h"
#include "gdi/pixel_view.h"

namespace plat::gdi {

struct DibInfo {
  int width = 0;
  int height = 0;  // rows, positive
  bool topDown = false;
  int bitsPerPixel = 0;
  PixelFormat format = PixelFormat::kIndexed;
  int stride = 0;
  size_t imageBytes = 0;
  DWORD masks[3] = {0, 0, 0};
  RGBQUAD colours[256] = {};
  int colourCount = 0;
};

// False for what is not supported or not sane (compressed pixels, depths
// other than 1, 4, 8, 16, 24, 32, sizes beyond 32767 or one gigabyte).
// DIB_PAL_COLORS tables are read through the palette of dc.
bool ReadDibInfo(const BITMAPINFO* info, UINT usage, const DeviceContext* dc, DibInfo* out);

// A view of packed pixels described by info.
PixelView ViewOfDib(const DibInfo& info, const void* bits);

}  // namespace plat::gdi
