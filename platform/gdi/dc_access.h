// What user/ needs of device contexts beyond the Win32 calls: window DCs
// with the frame, and drawing of text coverage and icon pixels (the glyphs
// and icons themselves are user/'s).
#pragma once

#include <windows.h>

#include <cstdint>

namespace plat {

// A DC of hwnd's client area, or of the whole window with its frame.
// hwnd null: the screen. Released with ReleaseDC.
HDC GetDcForWindow(HWND hwnd, bool wholeWindow);

// Limits what a window DC draws to r (client coordinates), as BeginPaint's
// DC draws only inside the update region.
void SetDcPaintClip(HDC hdc, const RECT& r);

// A solid brush that DeleteObject leaves alone, as system colour brushes.
HBRUSH CreatePermanentBrush(COLORREF colour);

struct DcTextState {
  COLORREF textColour;
  COLORREF backColour;
  int backMode;   // TRANSPARENT or OPAQUE
  HGDIOBJ font;   // as selected (a placeholder object)
};
bool GetDcTextState(HDC hdc, DcTextState* out);

// Fills r (DC coordinates) with one colour.
bool DcFillSolid(HDC hdc, const RECT& r, COLORREF colour);

// Draws a coverage mask (0 to 255 per pixel, rows `pitch` bytes apart) at
// (x, y) in colour: blended on direct-colour targets, pixels of at least
// half coverage on indexed ones.
bool DcDrawCoverage(HDC hdc, int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                    COLORREF colour);

// Draws 0xAARRGGBB pixels at (x, y): alpha 0 leaves the target, 255 covers
// it, values between blend (indexed targets: at least half covers).
bool DcDrawArgb(HDC hdc, int x, int y, const uint32_t* pixels, int width, int height);

}  // namespace plat
