// Solid drawing and single pixels: FillRect, PatBlt, SetPixel, GetPixel,
// and the text and icon helpers user/ draws with.
#include <windows.h>

#include <algorithm>

#include "core/trace.h"
#include "gdi/blit_kernel.h"
#include "gdi/dc_access.h"
#include "gdi/dc_target.h"

using namespace plat::gdi;

namespace {

// The DC rectangle r in view coordinates, clipped; false when nothing is left.
bool ToView(const DcTarget& t, const RECT& r, RECT* out) {
  *out = RECT{r.left + t.originX, r.top + t.originY, r.right + t.originX, r.bottom + t.originY};
  return ClipRect(out, t.clip, t.view.width, t.view.height);
}

bool FillSolid(const DcTarget& t, const RECT& r, COLORREF colour) {
  RECT v;
  if (!ToView(t, r, &v)) return true;
  FillRaw(t.view, v, RawOfColour(t, colour));
  NoteDrawn(t, v);
  return true;
}

// The colour a brush paints, false for a hollow brush. Small values are
// system colour numbers plus one, as window classes give them.
bool BrushColour(HBRUSH hbr, COLORREF* colour) {
  uintptr_t value = reinterpret_cast<uintptr_t>(hbr);
  if (value >= 1 && value <= 31) {
    *colour = GetSysColor(static_cast<int>(value - 1));
    return true;
  }
  Brush* brush = FindBrush(hbr);
  if (!brush || brush->hollow) return false;
  *colour = brush->colour;
  return true;
}

uint8_t Blend(uint32_t a, uint32_t b, uint32_t alpha) { return static_cast<uint8_t>((a * alpha + b * (255 - alpha) + 127) / 255); }

// Writes colour over the pixel at view (x, y) with the given coverage.
void Cover(const DcTarget& t, int x, int y, uint32_t raw, RGBQUAD colour, uint32_t alpha) {
  if (alpha == 0) return;
  if (t.view.Indexed()) {
    if (alpha >= 128) WriteRaw(t.view, x, y, raw);
    return;
  }
  if (alpha >= 255) {
    WriteRaw(t.view, x, y, raw);
    return;
  }
  uint32_t under = UnpackDirect(t.view.format, ReadRaw(t.view, x, y));
  RGBQUAD u = QuadOfXrgb(under);
  RGBQUAD m = {Blend(colour.rgbBlue, u.rgbBlue, alpha), Blend(colour.rgbGreen, u.rgbGreen, alpha),
               Blend(colour.rgbRed, u.rgbRed, alpha), 0};
  WriteRaw(t.view, x, y, PackDirect(t.view.format, XrgbOf(m)));
}

}  // namespace

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  DcTarget t;
  COLORREF colour;
  if (!lprc || !ResolveDc(hDC, &t)) return 0;
  if (!BrushColour(hbr, &colour)) return 1;
  return FillSolid(t, *lprc, colour) ? 1 : 0;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  DcTarget t;
  if (!ResolveDc(hdc, &t)) return FALSE;
  RECT r = {x, y, x + w, y + h};
  if (w < 0) std::swap(r.left, r.right);
  if (h < 0) std::swap(r.top, r.bottom);
  COLORREF colour;
  switch (rop) {
    case BLACKNESS: colour = RGB(0, 0, 0); break;
    case WHITENESS: colour = RGB(255, 255, 255); break;
    case PATCOPY:
      if (!BrushColour(static_cast<HBRUSH>(t.dc->brush), &colour)) return TRUE;
      break;
    default:
      PLAT_FIXME("PatBlt: rop %08lx", static_cast<unsigned long>(rop));
      return FALSE;
  }
  return FillSolid(t, r, colour) ? TRUE : FALSE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DcTarget t;
  if (!ResolveDc(hdc, &t)) return CLR_INVALID;
  RECT v;
  if (!ToView(t, RECT{x, y, x + 1, y + 1}, &v)) return CLR_INVALID;
  uint32_t raw = RawOfColour(t, color);
  WriteRaw(t.view, v.left, v.top, raw);
  NoteDrawn(t, v);
  return ColourOfRaw(t, raw);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  DcTarget t;
  if (!ResolveDc(hdc, &t)) return CLR_INVALID;
  RECT v;
  if (!ToView(t, RECT{x, y, x + 1, y + 1}, &v)) return CLR_INVALID;
  return ColourOfRaw(t, ReadRaw(t.view, v.left, v.top));
}

namespace plat {

bool GetDcTextState(HDC hdc, DcTextState* out) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc || !out) return false;
  *out = DcTextState{dc->textColour, dc->backColour, dc->backMode, dc->font};
  return true;
}

bool DcFillSolid(HDC hdc, const RECT& r, COLORREF colour) {
  DcTarget t;
  return ResolveDc(hdc, &t) && FillSolid(t, r, colour);
}

bool DcDrawCoverage(HDC hdc, int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                    COLORREF colour) {
  DcTarget t;
  if (!coverage || width <= 0 || height <= 0 || !ResolveDc(hdc, &t)) return false;
  RECT v;
  if (!ToView(t, RECT{x, y, x + width, y + height}, &v)) return true;
  uint32_t raw = RawOfColour(t, colour);
  RGBQUAD shown = QuadOfColorref(ColourOfRaw(t, raw));
  int vx = x + t.originX, vy = y + t.originY;
  for (int py = v.top; py < v.bottom; ++py) {
    const uint8_t* row = coverage + static_cast<ptrdiff_t>(py - vy) * pitch;
    for (int px = v.left; px < v.right; ++px) Cover(t, px, py, raw, shown, row[px - vx]);
  }
  NoteDrawn(t, v);
  return true;
}

bool DcDrawArgb(HDC hdc, int x, int y, const uint32_t* pixels, int width, int height) {
  DcTarget t;
  if (!pixels || width <= 0 || height <= 0 || !ResolveDc(hdc, &t)) return false;
  RECT v;
  if (!ToView(t, RECT{x, y, x + width, y + height}, &v)) return true;
  int vx = x + t.originX, vy = y + t.originY;
  for (int py = v.top; py < v.bottom; ++py) {
    const uint32_t* row = pixels + static_cast<ptrdiff_t>(py - vy) * width;
    for (int px = v.left; px < v.right; ++px) {
      uint32_t argb = row[px - vx];
      uint32_t alpha = argb >> 24;
      if (alpha == 0) continue;
      RGBQUAD c = QuadOfXrgb(argb & 0xFFFFFF);
      Cover(t, px, py, RawOfColour(t, ColorrefOfQuad(c)), c, alpha);
    }
  }
  NoteDrawn(t, v);
  return true;
}

}  // namespace plat
