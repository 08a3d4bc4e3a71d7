// DIB sections, screen-compatible bitmaps and DIB colour tables.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/backend.h"
#include "core/trace.h"
#include "gdi/dib_info.h"
#include "gdi/objects.h"

using namespace plat::gdi;

namespace {

Bitmap* SelectedSection(HDC hdc) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc || dc->kind != DeviceContext::kMemory) return nullptr;
  Bitmap* bitmap = FindBitmap(dc->bitmap);
  return bitmap && bitmap->dibSection && bitmap->bitsPerPixel <= 8 ? bitmap : nullptr;
}

HBITMAP OutOfMemory() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

HBITMAP NewSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection) {
  DeviceContext* dc = FindDc(hdc);
  if (hdc && !dc) return nullptr;
  if (hSection) {
    PLAT_FIXME("CreateDIBSection: file mapping %p", hSection);
    return nullptr;
  }
  DibInfo info;
  if (!ReadDibInfo(pbmi, usage, dc, &info)) return nullptr;

  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = info.width;
  bitmap->height = info.height;
  bitmap->topDown = info.topDown;
  bitmap->bitsPerPixel = info.bitsPerPixel;
  bitmap->format = info.format;
  bitmap->stride = info.stride;
  bitmap->storage.reset(new (std::nothrow) uint8_t[info.imageBytes]());  // zeroed, as sections start
  if (!bitmap->storage) return OutOfMemory();
  bitmap->bits = bitmap->storage.get();
  std::memcpy(bitmap->colours, info.colours, sizeof(bitmap->colours));
  bitmap->colourCount = info.colourCount;
  std::memcpy(bitmap->masks, info.masks, sizeof(bitmap->masks));
  bitmap->header = pbmi->bmiHeader;
  bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
  bitmap->header.biSizeImage = static_cast<DWORD>(info.imageBytes);
  bitmap->dibSection = true;
  void* bits = bitmap->bits;
  HGDIOBJ handle = AddObject(std::move(bitmap));
  if (ppvBits) *ppvBits = bits;
  return static_cast<HBITMAP>(handle);
}

HBITMAP NewCompatibleBitmap(HDC hdc, int cx, int cy) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->topDown = true;
  const Bitmap* like = dc->kind == DeviceContext::kMemory ? FindBitmap(dc->bitmap) : nullptr;
  if (cx <= 0 || cy <= 0) {
    cx = cy = 1;
    like = FindBitmap(DefaultBitmap());
  }
  if (cx > 32767 || cy > 32767) return nullptr;
  if (like) {
    bitmap->bitsPerPixel = like->bitsPerPixel;
    bitmap->format = like->format;
    std::memcpy(bitmap->colours, like->colours, sizeof(bitmap->colours));
    bitmap->colourCount = like->colourCount;
  } else if (plat::CurrentBackend().ScreenDepth() == 8) {
    bitmap->bitsPerPixel = 8;
    bitmap->format = PixelFormat::kSystemIndexed;
  } else {
    bitmap->bitsPerPixel = 32;
    bitmap->format = PixelFormat::kXrgb32;
  }
  bitmap->width = cx;
  bitmap->height = cy;
  bitmap->stride = ((cx * bitmap->bitsPerPixel + 31) / 32) * 4;
  size_t bytes = static_cast<size_t>(bitmap->stride) * static_cast<size_t>(cy);
  if (bytes > (size_t{1} << 30)) return nullptr;
  bitmap->storage.reset(new (std::nothrow) uint8_t[bytes]());
  if (!bitmap->storage) return OutOfMemory();
  bitmap->bits = bitmap->storage.get();
  return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

// Out of memory is a failure like any other here, as on Windows.
template <typename Make>
HBITMAP UnlessOutOfMemory(Make make) {
  try {
    return make();
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

}  // namespace

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                DWORD) {
  if (ppvBits) *ppvBits = nullptr;
  return UnlessOutOfMemory([&] { return NewSection(hdc, pbmi, usage, ppvBits, hSection); });
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  return UnlessOutOfMemory([&] { return NewCompatibleBitmap(hdc, cx, cy); });
}

UINT WINAPI SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq) {
  Bitmap* bitmap = SelectedSection(hdc);
  if (!bitmap || !prgbq) return 0;
  UINT count = static_cast<UINT>(bitmap->colourCount);
  if (iStart >= count) return 0;
  UINT n = std::min(cEntries, count - iStart);
  for (UINT i = 0; i < n; ++i) {
    bitmap->colours[iStart + i] = prgbq[i];
    bitmap->colours[iStart + i].rgbReserved = 0;
  }
  ++bitmap->colourVersion;
  return n;
}

UINT WINAPI GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq) {
  Bitmap* bitmap = SelectedSection(hdc);
  if (!bitmap || !prgbq) return 0;
  UINT count = static_cast<UINT>(bitmap->colourCount);
  if (iStart >= count) return 0;
  UINT n = std::min(cEntries, count - iStart);
  std::memcpy(prgbq, bitmap->colours + iStart, n * sizeof(RGBQUAD));
  return n;
}
