// The whole-number scale between the program's screen and the real one: a
// big screen shows each of the program's pixels as N x N pixels, so the
// program sees a screen of W/N x H/N (as Windows shows programs that do not
// declare themselves DPI-aware).
#pragma once

#include <windows.h>

namespace plat {

constexpr int kMaxScreenScale = 4;

// The scale asked for (1..kMaxScreenScale), or for 0 the whole number nearest
// to height / 1080; at least 1, and never so large that a side drops below
// one pixel.
int ChooseScreenScale(int asked, int width, int height);

// Real screen coordinates of the program's, and back (rounding down, also
// for negative ones: the block a real pixel lies in).
inline int ToReal(int value, int scale) { return value * scale; }
inline int ToProgram(int value, int scale) { return value >= 0 ? value / scale : -((scale - 1 - value) / scale); }
inline RECT RealRect(const RECT& r, int scale) {
  return RECT{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
}
// A real rectangle as the program sees it: its corner's block, and the whole
// blocks it holds (a rest of less than a block is left out).
inline RECT ProgramRect(const RECT& r, int scale) {
  int left = ToProgram(r.left, scale), top = ToProgram(r.top, scale);
  return RECT{left, top, left + (r.right - r.left) / scale, top + (r.bottom - r.top) / scale};
}

}  // namespace plat
