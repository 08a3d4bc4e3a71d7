#include "platform/gdi/gdi_test_window.h"

#include <cstring>

namespace gditest {

HWND MakeWindow(int x, int y, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = nullptr;
  wc.lpszClassName = "GdiTestWindow";
  RegisterClassA(&wc);  // again after a restart of the layer; a repeat fails harmlessly
  return CreateWindowExA(0, "GdiTestWindow", "gdi", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

RGBQUAD TestColour(int i) {
  return RGBQUAD{static_cast<BYTE>(i / 2), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
}

uint8_t TestIndex(int x, int y) { return static_cast<uint8_t>(10 + (x * 3 + y * 17) % 236); }

TestSection::TestSection(int w, int h, bool td) : width(w), height(h), topDown(td) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = w;
  header->biHeight = td ? -h : h;
  header->biPlanes = 1;
  header->biBitCount = 8;
  header->biCompression = BI_RGB;
  auto* colours = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < 256; ++i) colours[i] = TestColour(i);
  dc = CreateCompatibleDC(nullptr);
  void* pixels = nullptr;
  bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
  bits = static_cast<uint8_t*>(pixels);
  stride = (w + 3) & ~3;
  previous = SelectObject(dc, bitmap);
  if (bits)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) *Pixel(x, y) = TestIndex(x, y);
}

TestSection::~TestSection() {
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

std::vector<uint8_t> PackedDib(int width, int height, bool topDown) {
  int stride = (width + 3) & ~3;
  size_t headerBytes = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
  std::vector<uint8_t> dib(headerBytes + static_cast<size_t>(stride) * height);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = width;
  header->biHeight = topDown ? -height : height;
  header->biPlanes = 1;
  header->biBitCount = 8;
  auto* colours = reinterpret_cast<RGBQUAD*>(dib.data() + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < 256; ++i) colours[i] = TestColour(i);
  uint8_t* bits = dib.data() + headerBytes;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bits[(topDown ? y : height - 1 - y) * stride + x] = TestIndex(x, y);
  return dib;
}

}  // namespace gditest
