// Pixel operations of mBitmap: the four copies, translation tables, fills
// and drawing to a window.
#include <algorithm>
#include <cstring>

#include "stage/bitmap.h"
#include "stage/row_kernels.h"

namespace {

template <typename RowFn>
void ForEachRow(const BitmapDesc& source, int sx, int sy, const BitmapDesc& target, const RECT& r,
                RowFn row) {
  const uint8_t* src = source.Pixel(sx, sy);
  uint8_t* dst = target.Pixel(r.left, r.top);
  const size_t width = static_cast<size_t>(r.right - r.left);
  for (int k = r.top; k < r.bottom; ++k) {
    row(dst, src, width);
    src += source.pitch;
    dst += target.pitch;
  }
}

}  // namespace

// The callers promise rectangles inside both bitmaps; they are cut to both
// all the same, so that a wrong rectangle cannot write outside the pixels.
bool mBitmap::ClipCopy(const mBitmap* target, RECT* rect, int* sx, int* sy) const {
  if (!target || desc->bitsPerPixel != 8 || target->desc->bitsPerPixel != 8) return false;
  int64_t left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
  int64_t x = *sx, y = *sy;
  if (left < 0) x -= left, left = 0;
  if (top < 0) y -= top, top = 0;
  if (x < 0) left -= x, x = 0;
  if (y < 0) top -= y, y = 0;
  right = std::min({right, int64_t{target->desc->width}, left + desc->width - x});
  bottom = std::min({bottom, int64_t{target->desc->height}, top + desc->height - y});
  if (left >= right || top >= bottom) return false;
  *rect = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
               static_cast<LONG>(bottom)};
  *sx = static_cast<int>(x);
  *sy = static_cast<int>(y);
  return true;
}

void mBitmap::CopyOpaque(mBitmap* target, const RECT* rect, int sx, int sy) {
  RECT r = *rect;
  if (!ClipCopy(target, &r, &sx, &sy)) return;
  ForEachRow(*desc, sx, sy, *target->desc, r,
             [](uint8_t* dst, const uint8_t* src, size_t width) { rows::CopyOpaque(dst, src, width); });
}

void mBitmap::CopyKeyed(mBitmap* target, const RECT* rect, int sx, int sy) {
  RECT r = *rect;
  if (!ClipCopy(target, &r, &sx, &sy)) return;
  const uint8_t key = static_cast<uint8_t>(desc->transparentIndex);
  ForEachRow(*desc, sx, sy, *target->desc, r, [key](uint8_t* dst, const uint8_t* src, size_t width) {
    rows::CopyKeyed(dst, src, width, key);
  });
}

void mBitmap::EnsureTranslation(mBitmap* target) {
  if (translationTarget != target || translationVersion != target->desc->paletteVersion)
    BuildTranslation(target);
}

void mBitmap::CopyOpaqueMapped(mBitmap* target, const RECT* rect, int sx, int sy) {
  RECT r = *rect;
  if (!ClipCopy(target, &r, &sx, &sy)) return;
  EnsureTranslation(target);
  if (!translationNeeded || !translation) {
    CopyOpaque(target, &r, sx, sy);
    return;
  }
  const uint8_t* table = translation;
  ForEachRow(*desc, sx, sy, *target->desc, r, [table](uint8_t* dst, const uint8_t* src, size_t width) {
    rows::CopyOpaqueMapped(dst, src, width, table);
  });
}

void mBitmap::CopyKeyedMapped(mBitmap* target, const RECT* rect, int sx, int sy) {
  RECT r = *rect;
  if (!ClipCopy(target, &r, &sx, &sy)) return;
  EnsureTranslation(target);
  if (!translationNeeded || !translation) {
    CopyKeyed(target, &r, sx, sy);
    return;
  }
  const uint8_t* table = translation;
  const uint8_t key = static_cast<uint8_t>(desc->transparentIndex);
  ForEachRow(*desc, sx, sy, *target->desc, r, [table, key](uint8_t* dst, const uint8_t* src, size_t width) {
    rows::CopyKeyedMapped(dst, src, width, key, table);
  });
}

void mBitmap::DispatchCopy(mBitmap* target, const RECT* rect, int sx, int sy) {
  switch (desc->flags & 3) {
    case 0:
      CopyOpaque(target, rect, sx, sy);
      break;
    case 1:
      CopyKeyed(target, rect, sx, sy);
      break;
    case 2:
      CopyOpaqueMapped(target, rect, sx, sy);
      break;
    default:
      CopyKeyedMapped(target, rect, sx, sy);
      break;
  }
}

void mBitmap::DrawOnto(mBitmap* target, int x, int y, const RECT* clip, int frameWidth, int frameHeight) {
  if (!target) return;
  RECT r = clip ? *clip : RECT{0, 0, target->desc->width, target->desc->height};
  r.top = std::max<LONG>(r.top, y);
  r.left = std::max<LONG>(r.left, x);
  r.right = static_cast<LONG>(std::min<int64_t>(r.right, int64_t{x} + frameWidth));
  r.bottom = static_cast<LONG>(std::min<int64_t>(r.bottom, int64_t{y} + frameHeight));
  if (r.top >= r.bottom || r.left >= r.right) return;
  DispatchCopy(target, &r, r.left - x, r.top - y);
}

BOOL mBitmap::BuildTranslation(mBitmap* target) {
  if (!target) {
    if (translationMemory) {
      GlobalUnlock(translationMemory);
      GlobalFree(translationMemory);
      translationMemory = nullptr;
    }
    translation = nullptr;
    translationNeeded = FALSE;
    translationTarget = nullptr;
    return FALSE;
  }
  const int n = desc->ColourCount();
  if (n == 0 || !desc->colours || !target->desc->colours) {
    translationNeeded = FALSE;
    return FALSE;
  }
  if (!translation) {
    // Always 256 entries: pixels of a smaller table still index it safely.
    translationMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 256);
    translation = translationMemory ? static_cast<uint8_t*>(GlobalLock(translationMemory)) : nullptr;
    if (!translation) {
      if (translationMemory) GlobalFree(translationMemory);
      translationMemory = nullptr;
      ReportError(kClassBitmap, kErrOutOfMemory, nullptr);
      return FALSE;
    }
  }
  const RGBQUAD* mine = desc->colours;
  const RGBQUAD* theirs = target->desc->colours;
  const int theirCount = target->desc->ColourCount();
  bool needed = false;
  for (int i = 0; i < 256; ++i) {
    int index = i;
    if (i < n && !(i < theirCount && mine[i].rgbRed == theirs[i].rgbRed &&
                   mine[i].rgbGreen == theirs[i].rgbGreen && mine[i].rgbBlue == theirs[i].rgbBlue)) {
      index = target->NearestColour(mine[i]);
    }
    translation[i] = static_cast<uint8_t>(index);
    needed = needed || translation[i] != i;
  }
  translationNeeded = needed;
  translationTarget = target;
  translationVersion = target->desc->paletteVersion;
  return translationNeeded;
}

void mBitmap::FillRects(int index, const RECT* rects, int count) {
  if (!rects || count <= 0 || desc->bitsPerPixel != 8) return;
  const uint8_t value = static_cast<uint8_t>(index);
  for (int i = 0; i < count; ++i) {
    // Cut to the bitmap: a rectangle reaching outside must not write there.
    const LONG left = std::max<LONG>(rects[i].left, 0), top = std::max<LONG>(rects[i].top, 0);
    const LONG right = std::min<LONG>(rects[i].right, desc->width);
    const LONG bottom = std::min<LONG>(rects[i].bottom, desc->height);
    if (left >= right || top >= bottom) continue;
    uint8_t* row = desc->Pixel(left, top);
    for (LONG y = top; y < bottom; ++y, row += desc->pitch)
      rows::Fill(row, static_cast<size_t>(right - left), value);
  }
}

void mBitmap::DrawToWindow(HDC dc, const RECT* rect, int sx, int sy) {
  if (!dc || !rect) return;
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;
  if (memoryDC) {
    BitBlt(dc, rect->left, rect->top, width, height, memoryDC, sx, sy, SRCCOPY);
    return;
  }
  if (!header) return;
  // The header always gives a positive height, so a top-down block is
  // described as such for the call; a bottom-up source rectangle is counted
  // from the bottom row, as device-independent bitmaps count it.
  const LONG rows = header->biHeight;
  int sourceY = sy;
  if (desc->topDown)
    header->biHeight = -rows;
  else
    sourceY = rows - (sy + height);
  StretchDIBits(dc, rect->left, rect->top, width, height, sx, sourceY, width, height, desc->bits,
                reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, SRCCOPY);
  header->biHeight = rows;
}
