// Device contexts, DIB sections, stock objects, palettes and device caps.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "orvanel/headless.h"
#include "platform/gdi/gdi_test_window.h"
#include "support/host_fixture.h"

namespace {

class Objects24 : public testsupport::HeadlessTest {};
class Objects8 : public testsupport::HeadlessTest {
 protected:
  int ScreenDepth() const override { return 8; }
};

std::vector<uint8_t> Info(int width, int height, int bpp, DWORD clrUsed = 0) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  h->biSize = sizeof(BITMAPINFOHEADER);
  h->biWidth = width;
  h->biHeight = height;
  h->biPlanes = 1;
  h->biBitCount = static_cast<WORD>(bpp);
  h->biClrUsed = clrUsed;
  auto* colours = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{static_cast<BYTE>(i), 0, 0, 0};
  return info;
}

TEST_F(Objects24, DibSectionsOfEveryDepthDescribeThemselves) {
  HDC dc = CreateCompatibleDC(nullptr);
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (int height : {5, -5}) {
      std::vector<uint8_t> info = Info(13, height, bpp);
      void* bits = reinterpret_cast<void*>(1);
      HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                        nullptr, 0);
      ASSERT_NE(bitmap, nullptr) << bpp;
      ASSERT_NE(bits, nullptr);
      DIBSECTION ds;
      ASSERT_EQ(GetObjectA(bitmap, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
      int stride = ((13 * bpp + 31) / 32) * 4;
      EXPECT_EQ(ds.dsBm.bmWidth, 13);
      EXPECT_EQ(ds.dsBm.bmHeight, 5);
      EXPECT_EQ(ds.dsBm.bmWidthBytes, stride) << bpp;
      EXPECT_EQ(ds.dsBm.bmBitsPixel, bpp);
      EXPECT_EQ(ds.dsBm.bmBits, bits);
      EXPECT_EQ(ds.dsBmih.biHeight, height);
      EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(stride * 5));
      // Sections start zeroed.
      for (int i = 0; i < stride * 5; ++i) ASSERT_EQ(static_cast<uint8_t*>(bits)[i], 0);
      BITMAP bm;
      EXPECT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
      EXPECT_TRUE(DeleteObject(bitmap));
    }
  }
  DeleteDC(dc);
}

TEST_F(Objects24, BadHeadersAreRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  std::vector<uint8_t> info = Info(0, 5, 8);
  EXPECT_EQ(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
  info = Info(5, 5, 7);
  EXPECT_EQ(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
  info = Info(30000, 30000, 32);  // over a gigabyte
  EXPECT_EQ(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  DeleteDC(dc);
}

TEST_F(Objects24, SelectionRulesAndColourTables) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  std::vector<uint8_t> info = Info(4, 4, 8, 16);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(a, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ initial = SelectObject(a, bitmap);
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);  // one DC at a time
  EXPECT_FALSE(DeleteObject(bitmap));           // still selected

  // A table of 16 colours (biClrUsed): entries past it are refused.
  RGBQUAD got[20];
  EXPECT_EQ(GetDIBColorTable(a, 0, 20, got), 16u);
  EXPECT_EQ(got[15].rgbBlue, 15);
  RGBQUAD colours[3] = {{1, 2, 3, 9}, {4, 5, 6, 9}, {7, 8, 9, 9}};
  EXPECT_EQ(SetDIBColorTable(a, 14, 3, colours), 2u);
  EXPECT_EQ(GetDIBColorTable(a, 14, 2, got), 2u);
  EXPECT_EQ(got[1].rgbRed, 6);
  EXPECT_EQ(SetDIBColorTable(b, 0, 1, colours), 0u);  // no section selected

  EXPECT_EQ(SelectObject(a, initial), bitmap);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));  // gone

  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HGDIOBJ oldBrush = SelectObject(a, brush);
  EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
  LOGBRUSH lb;
  EXPECT_EQ(GetObjectA(brush, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
  EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
  EXPECT_EQ(SelectObject(a, oldBrush), brush);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // harmless
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
  EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
  EXPECT_NE(GetStockObject(SYSTEM_FONT), nullptr);
  EXPECT_NE(GetStockObject(BLACK_PEN), nullptr);

  EXPECT_EQ(SetTextColor(a, RGB(1, 1, 1)), RGB(0, 0, 0));
  EXPECT_EQ(SetBkColor(a, RGB(2, 2, 2)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkMode(a, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(a, OPAQUE), TRANSPARENT);
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_FALSE(DeleteDC(a));
}

TEST_F(Objects24, DeviceCapsOfATrueColourScreen) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  for (HDC dc : {screen, memory}) {
    EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_BITBLT, 0);
    EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB, 0);
    EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
    EXPECT_EQ(GetDeviceCaps(dc, NUMRESERVED), 0);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 640);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 480);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), 1);
  }
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, nullptr), 0u);
  EXPECT_EQ(SetSystemPaletteUse(screen, SYSPAL_NOSTATIC), static_cast<UINT>(SYSPAL_ERROR));
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(Objects8, DeviceCapsOfAPaletteScreen) {
  HDC screen = GetDC(nullptr);
  EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), 20);
  EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 256);
  EXPECT_EQ(GetDeviceCaps(screen, NUMRESERVED), 20);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
  EXPECT_EQ(GetSystemPaletteUse(screen), static_cast<UINT>(SYSPAL_STATIC));
  PALETTEENTRY entries[256];
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, entries), 256u);
  EXPECT_EQ(entries[249].peRed, 255);
  EXPECT_EQ(entries[7].peGreen, 192);
  ReleaseDC(nullptr, screen);
}

TEST_F(Objects8, RealizingTwiceChangesNothingAndNoStaticFreesTheEnds) {
  HWND window = gditest::MakeWindow(0, 0, 8, 8);
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
  log->palVersion = 0x300;
  log->palNumEntries = 256;
  for (int i = 0; i < 256; ++i) log->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(i), 3, 4, PC_RESERVED};
  HPALETTE palette = CreatePalette(log);
  HDC dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(RealizePalette(dc), 256u);
  EXPECT_EQ(RealizePalette(dc), 0u);
  std::vector<PALETTEENTRY> system = headless::SystemPalette();
  EXPECT_EQ(system[5].peRed, 128);  // static stays
  EXPECT_EQ(system[100].peRed, 100);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(100, 3, 4)), 100u);

  EXPECT_EQ(SetSystemPaletteUse(dc, SYSPAL_NOSTATIC), static_cast<UINT>(SYSPAL_STATIC));
  EXPECT_EQ(RealizePalette(dc), 256u);
  system = headless::SystemPalette();
  EXPECT_EQ(system[5].peRed, 5);
  EXPECT_EQ(system[0].peRed, 0);
  EXPECT_EQ(system[255].peRed, 255);
  EXPECT_EQ(system[255].peGreen, 255);
  EXPECT_EQ(SetSystemPaletteUse(dc, SYSPAL_STATIC), static_cast<UINT>(SYSPAL_NOSTATIC));
  system = headless::SystemPalette();
  EXPECT_EQ(system[5].peRed, 128);
  EXPECT_EQ(system[100].peRed, 100);

  EXPECT_FALSE(DeleteObject(palette));  // selected
  SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  EXPECT_TRUE(DeleteObject(palette));
  ReleaseDC(window, dc);
}

}  // namespace
