// A plain pop-up window and 8-bit test pictures for the gdi tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace gditest {

// A visible pop-up window with no background brush, so nothing but the
// test draws into it.
HWND MakeWindow(int x, int y, int width, int height);

// The colour of index i in the test pictures: distinct for every index.
RGBQUAD TestColour(int i);
// The index at (x, y) of the test pictures.
uint8_t TestIndex(int x, int y);

// An 8-bit DIB section with the test colours and picture, selected into
// a new memory DC. topDown chooses the row order.
struct TestSection {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  uint8_t* bits = nullptr;
  int width = 0, height = 0, stride = 0;
  bool topDown = false;
  TestSection(int width, int height, bool topDown);
  ~TestSection();
  uint8_t* Pixel(int x, int y) const { return bits + (topDown ? y : height - 1 - y) * stride + x; }
};

// A packed DIB: header, 256 colours, then the bits.
std::vector<uint8_t> PackedDib(int width, int height, bool topDown);

}  // namespace gditest
