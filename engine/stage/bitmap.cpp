#include "stage/bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace stage_internal {
CreateDibSectionFn g_createDibSection = &CreateDIBSection;
}

namespace {

constexpr int kHeaderBytes = sizeof(BITMAPINFOHEADER);
// Largest pixel area we lay out: row offsets must fit the 32-bit pitch
// arithmetic, and a block this size must be addressable at all.
constexpr int64_t kMaxPixelBytes = 0x7FFFFFFF - 2048;

// Bytes per row, padded to 4; -1 when the size cannot be laid out.
int64_t StrideFor(int width, int bitsPerPixel) {
  int64_t rowBytes = static_cast<int64_t>(width) * bitsPerPixel / 8;
  return (rowBytes + 3) & ~int64_t{3};
}

bool SizeIsUsable(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (bitsPerPixel < 1 || bitsPerPixel > 32) return false;
  int64_t stride = StrideFor(width, bitsPerPixel);
  return stride > 0 && stride * std::abs(static_cast<int64_t>(height)) <= kMaxPixelBytes;
}

}  // namespace

mBitmap::mBitmap() {
  ownDesc.transparentIndex = 0;
  ownDesc.flags = 0;
  SetEmpty();
}

mBitmap::mBitmap(int width, int height, int bitsPerPixel) : mBitmap() { Create(width, height, bitsPerPixel); }

mBitmap::~mBitmap() {
  if (refCount != 0) {
    ReportWarning(kClassBitmap, kErrStillInUse, nullptr);
    refCount = 0;
  }
  Release();
}

void mBitmap::SetEmpty() {
  desc = &ownDesc;
  ownDesc.width = 1;
  ownDesc.height = 1;
  ownDesc.bitsPerPixel = 8;
  ownDesc.planes = 1;
  ownDesc.stride = 1;
  ownDesc.pitch = 1;
  ownDesc.topDown = TRUE;
  placeholder = 0;
  ownDesc.bits = reinterpret_cast<uint8_t*>(&placeholder);
  ownDesc.row0 = ownDesc.bits;
  ownDesc.colours = nullptr;
  ownDesc.paletteVersion = 0;
  translation = nullptr;
  translationNeeded = FALSE;
  translationTarget = nullptr;
  translationVersion = 0;
  header = nullptr;
}

void mBitmap::SetGeometry(int width, int height, int bitsPerPixel, BOOL topDown) {
  ownDesc.width = width;
  ownDesc.height = height;
  ownDesc.bitsPerPixel = bitsPerPixel;
  ownDesc.planes = 1;
  ownDesc.stride = static_cast<int32_t>(StrideFor(width, bitsPerPixel));
  ownDesc.topDown = topDown;
  ownDesc.pitch = topDown ? ownDesc.stride : -ownDesc.stride;
  ownDesc.row0 = topDown ? ownDesc.bits : ownDesc.bits + static_cast<intptr_t>(height - 1) * ownDesc.stride;
}

BOOL mBitmap::Create(int width, int height, int bitsPerPixel) {
  const int n = bitsPerPixel >= 1 && bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
  // The colours survive re-creation.
  RGBQUAD kept[256];
  int keptCount = 0;
  if (n > 0 && ownDesc.colours) {
    keptCount = std::min(n, ownDesc.ColourCount());
    std::memcpy(kept, ownDesc.colours, static_cast<size_t>(keptCount) * sizeof(RGBQUAD));
  }
  Release();

  HGLOBAL block = nullptr;
  uint8_t* base = nullptr;
  if (SizeIsUsable(width, height, bitsPerPixel)) {
    const int64_t rows = std::abs(static_cast<int64_t>(height));
    const SIZE_T bytes = static_cast<SIZE_T>(rows * StrideFor(width, bitsPerPixel)) +
                         static_cast<SIZE_T>(n) * 4 + kHeaderBytes;
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (block) {
      base = static_cast<uint8_t*>(GlobalLock(block));
      if (!base) {
        GlobalFree(block);
        block = nullptr;
      }
    }
  }
  if (!base) {
    ReportError(kClassBitmap, kErrOutOfMemory, nullptr);
    return FALSE;  // still the 1 x 1 empty bitmap
  }

  memory = block;
  header = reinterpret_cast<BITMAPINFOHEADER*>(base);
  ownDesc.colours = n > 0 ? reinterpret_cast<RGBQUAD*>(base + kHeaderBytes) : nullptr;
  ownDesc.bits = base + kHeaderBytes + n * 4;
  const bool topDown = height < 0;
  const int rows = topDown ? -height : height;
  SetGeometry(width, rows, bitsPerPixel, topDown);

  header->biSize = kHeaderBytes;
  header->biWidth = width;
  header->biHeight = rows;
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(bitsPerPixel);
  header->biCompression = BI_RGB;
  header->biClrUsed = static_cast<DWORD>(n);

  if (n == 0) return TRUE;
  if (keptCount > 0) {
    std::memcpy(ownDesc.colours, kept, static_cast<size_t>(keptCount) * sizeof(RGBQUAD));
  } else {
    // A "default" palette of fewer than 256 colours leaves the rest as a
    // fresh table has them.
    RGBQUAD defaults[256] = {};
    LoadDefaultColours(defaults);
    std::memcpy(ownDesc.colours, defaults, static_cast<size_t>(n) * sizeof(RGBQUAD));
  }
  return TRUE;
}

BOOL mBitmap::CreateSection(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel == 0) bitsPerPixel = 8;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info = {};
  info.header.biSize = kHeaderBytes;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = BI_RGB;

  const int n = bitsPerPixel >= 1 && bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
  if (n > 0) {
    if (ownDesc.colours) {
      std::memcpy(info.colours, ownDesc.colours,
                  static_cast<size_t>(std::min(n, ownDesc.ColourCount())) * sizeof(RGBQUAD));
    } else {
      LoadDefaultColours(info.colours);
    }
  }
  Release();

  if (!SizeIsUsable(width, height, bitsPerPixel)) {
    ReportError(kClassBitmap, kErrOutOfMemory, nullptr);
    return FALSE;
  }
  if (height < 0) height = -height;

  if (n > 0) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 1024);
    void* table = block ? GlobalLock(block) : nullptr;
    if (!table) {
      if (block) GlobalFree(block);
      ReportError(kClassBitmap, kErrOutOfMemory, nullptr);
      return FALSE;
    }
    memory = block;
    ownDesc.colours = static_cast<RGBQUAD*>(table);
  }
  info.header.biWidth = width;
  info.header.biHeight = height;

  HDC screen = GetDC(nullptr);
  HDC dc = screen ? CreateCompatibleDC(screen) : nullptr;
  if (screen) ReleaseDC(nullptr, screen);
  if (!dc) {
    Release();
    ReportError(kClassBitmap, kErrNoDC, nullptr);
    return FALSE;
  }

  void* pixels = nullptr;
  HBITMAP dib = stage_internal::g_createDibSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                                   &pixels, nullptr, 0);
  if (!dib || !pixels) {
    // No section: a memory bitmap of the same size is drawn with
    // StretchDIBits instead, so the stage still works.
    if (dib) DeleteObject(dib);
    DeleteDC(dc);
    if (!Create(width, height, bitsPerPixel)) return FALSE;
    if (n > 0) std::memcpy(ownDesc.colours, info.colours, static_cast<size_t>(n) * sizeof(RGBQUAD));
    return TRUE;
  }
  memoryDC = dc;
  section = dib;
  previousBitmap = SelectObject(dc, dib);
  ownDesc.bits = static_cast<uint8_t*>(pixels);
  SetGeometry(width, height, bitsPerPixel, FALSE);
  if (n > 0) std::memcpy(ownDesc.colours, info.colours, 1024);
  return TRUE;
}

int mBitmap::Release() {
  if (memory) {
    GlobalUnlock(memory);
    GlobalFree(memory);
    memory = nullptr;
  }
  if (translationMemory) {
    GlobalUnlock(translationMemory);
    GlobalFree(translationMemory);
    translationMemory = nullptr;
  }
  if (memoryDC) {
    SelectObject(memoryDC, previousBitmap);
    if (section) DeleteObject(section);
    DeleteDC(memoryDC);
    memoryDC = nullptr;
    section = nullptr;
    previousBitmap = nullptr;
  }
  SetEmpty();
  return 0;
}

void mBitmap::SetTopDown(BOOL topDown) {
  if ((topDown != 0) == (ownDesc.topDown != 0)) return;
  const size_t rowBytes = static_cast<size_t>(ownDesc.stride);
  for (int i = 0; i < ownDesc.height / 2; ++i) {
    uint8_t* upper = ownDesc.bits + static_cast<size_t>(i) * rowBytes;
    uint8_t* lower = ownDesc.bits + static_cast<size_t>(ownDesc.height - 1 - i) * rowBytes;
    std::swap_ranges(upper, upper + rowBytes, lower);
  }
  ownDesc.topDown = !ownDesc.topDown;
  ownDesc.pitch = -ownDesc.pitch;
  ownDesc.row0 = ownDesc.topDown ? ownDesc.bits
                                 : ownDesc.bits + static_cast<intptr_t>(ownDesc.height - 1) * ownDesc.stride;
}

uint32_t mBitmap::SetTransparentColour(uint32_t index) {
  ownDesc.transparentIndex = index;
  ownDesc.flags |= kBitmapTransparent;
  return index;
}

void mBitmap::SetTransparent(BOOL on) {
  if (on)
    ownDesc.flags |= kBitmapTransparent;
  else
    ownDesc.flags &= ~kBitmapTransparent;
}

void mBitmap::SetRemap(BOOL on) {
  if (on)
    ownDesc.flags |= kBitmapRemap;
  else
    ownDesc.flags &= ~kBitmapRemap;
}
