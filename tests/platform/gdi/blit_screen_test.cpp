// DIB sections reaching windows on the headless screen, at both depths.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvanel/headless.h"
#include "platform/gdi/gdi_test_window.h"
#include "support/host_fixture.h"
#include "support/png_file.h"

namespace {

using gditest::MakeWindow;
using gditest::TestColour;
using gditest::TestIndex;
using gditest::TestSection;

COLORREF Ref(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Builds the identity palette of the stage's kind from the test colours and
// gives the section the same table (statics included), as the stage does.
HPALETTE IdentityPaletteFor(const TestSection& section, bool reserved = true) {
  HDC screen = GetDC(nullptr);
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
  log->palVersion = 0x300;
  log->palNumEntries = 256;
  GetSystemPaletteEntries(screen, 0, 256, log->palPalEntry);
  RGBQUAD table[256];
  for (int i = 0; i < 256; ++i) {
    if (i >= 10 && i < 246) {
      RGBQUAD c = TestColour(i);
      log->palPalEntry[i] = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, static_cast<BYTE>(reserved ? PC_RESERVED : 0)};
    } else {
      log->palPalEntry[i].peFlags = 0;
    }
    const PALETTEENTRY& e = log->palPalEntry[i];
    table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
  }
  ReleaseDC(nullptr, screen);
  SetDIBColorTable(section.dc, 0, 256, table);
  return CreatePalette(log);
}

class BlitScreen24 : public testsupport::HeadlessTest {};
class BlitScreen8 : public testsupport::HeadlessTest {
 protected:
  int ScreenDepth() const override { return 8; }
};

TEST_F(BlitScreen24, EightBitSectionShowsItsColourTable) {
  HWND window = MakeWindow(10, 20, 64, 48);
  ASSERT_NE(window, nullptr);
  for (bool topDown : {false, true}) {
    TestSection section(64, 48, topDown);
    ASSERT_NE(section.bits, nullptr);
    HDC dc = GetDC(window);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 64, 48, section.dc, 0, 0, SRCCOPY));
    ReleaseDC(window, dc);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        ASSERT_EQ(headless::ScreenPixel(10 + x, 20 + y), Ref(TestColour(TestIndex(x, y))))
            << "topDown " << topDown << " at " << x << "," << y;
  }
}

TEST_F(BlitScreen8, IdentityPaletteBringsPixelsUnchanged) {
  HWND window = MakeWindow(10, 20, 64, 48);
  TestSection section(64, 48, false);
  HPALETTE palette = IdentityPaletteFor(section);
  HDC dc = GetDC(window);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_GT(RealizePalette(dc), 0u);
  ASSERT_TRUE(BitBlt(dc, 0, 0, 64, 48, section.dc, 0, 0, SRCCOPY));
  SelectPalette(dc, old, FALSE);
  ReleaseDC(window, dc);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(headless::ScreenIndex(10 + x, 20 + y), TestIndex(x, y)) << x << "," << y;
      ASSERT_EQ(headless::ScreenPixel(10 + x, 20 + y), Ref(TestColour(TestIndex(x, y)))) << x << "," << y;
    }
  EXPECT_TRUE(DeleteObject(palette));
}

TEST_F(BlitScreen8, WithoutPaletteColoursGoToNearestStatic) {
  HWND window = MakeWindow(0, 0, 8, 8);
  TestSection section(8, 8, true);
  RGBQUAD table[2] = {{0, 0, 250, 0}, {10, 250, 10, 0}};  // nearly red, nearly green
  SetDIBColorTable(section.dc, 0, 2, table);
  section.Pixel(0, 0)[0] = 0;
  section.Pixel(1, 0)[0] = 1;
  HDC dc = GetDC(window);
  BitBlt(dc, 0, 0, 2, 1, section.dc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  EXPECT_EQ(headless::ScreenIndex(0, 0), 249);  // static red
  EXPECT_EQ(headless::ScreenIndex(1, 0), 250);  // static green
}

TEST_F(BlitScreen8, AnimationChangesReservedEntriesOnScreenWithoutABlit) {
  HWND window = MakeWindow(0, 0, 64, 48);
  TestSection section(64, 48, false);
  HPALETTE palette = IdentityPaletteFor(section);
  // Entry 100 is an ordinary colour: animation must leave it alone.
  PALETTEENTRY plain;
  GetPaletteEntries(palette, 100, 1, &plain);
  plain.peFlags = 0;
  SetPaletteEntries(palette, 100, 1, &plain);
  HDC dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  RealizePalette(dc);
  BitBlt(dc, 0, 0, 64, 48, section.dc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  std::vector<PALETTEENTRY> before = headless::SystemPalette();

  PALETTEENTRY fresh[256];
  for (int i = 0; i < 256; ++i) fresh[i] = PALETTEENTRY{7, static_cast<BYTE>(i), 99, PC_RESERVED};
  ASSERT_TRUE(AnimatePalette(palette, 0, 256, fresh));

  std::vector<PALETTEENTRY> after = headless::SystemPalette();
  for (int i = 0; i < 256; ++i) {
    bool animated = i >= 10 && i < 246 && i != 100;
    if (animated) {
      ASSERT_EQ(after[i].peGreen, i) << i;
      ASSERT_EQ(after[i].peRed, 7) << i;
    } else {
      ASSERT_EQ(after[i].peRed, before[i].peRed) << i;
      ASSERT_EQ(after[i].peGreen, before[i].peGreen) << i;
    }
  }
  PALETTEENTRY logical[256];
  GetPaletteEntries(palette, 0, 256, logical);
  EXPECT_EQ(logical[5].peRed, before[5].peRed);  // static stays
  EXPECT_EQ(logical[100].peGreen, plain.peGreen);
  EXPECT_EQ(logical[50].peGreen, 50);
  // The pixels kept their indices, so they show the new colours at once.
  for (int y = 0; y < 48; y += 7)
    for (int x = 0; x < 64; x += 5) {
      int index = TestIndex(x, y);
      COLORREF want = index == 100 ? RGB(plain.peRed, plain.peGreen, plain.peBlue) : RGB(7, index, 99);
      ASSERT_EQ(headless::ScreenPixel(x, y), want) << x << "," << y;
    }
  DeleteObject(palette);
}

TEST_F(BlitScreen24, AnimationIsLogicalOnly) {
  HWND window = MakeWindow(0, 0, 16, 16);
  TestSection section(16, 16, false);
  HPALETTE palette = IdentityPaletteFor(section);
  HDC dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(RealizePalette(dc), 0u);
  BitBlt(dc, 0, 0, 16, 16, section.dc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  COLORREF shown = headless::ScreenPixel(3, 3);
  PALETTEENTRY entry = {1, 2, 3, PC_RESERVED};
  ASSERT_TRUE(AnimatePalette(palette, TestIndex(3, 3), 1, &entry));
  PALETTEENTRY logical;
  GetPaletteEntries(palette, TestIndex(3, 3), 1, &logical);
  EXPECT_EQ(logical.peBlue, 3);
  EXPECT_EQ(headless::ScreenPixel(3, 3), shown);
  DeleteObject(palette);
}

TEST_F(BlitScreen24, ClipsAtWindowAndScreenEdges) {
  // The window hangs over the left and bottom edges of the 640x480 screen.
  HWND window = MakeWindow(-10, 470, 40, 20);
  TestSection section(40, 20, false);
  COLORREF outside = headless::ScreenPixel(30, 465);
  headless::ClearPresented();
  HDC dc = GetDC(window);
  // Asks for more than the window: from (-5, -5) in the window, 60x40.
  ASSERT_TRUE(BitBlt(dc, -5, -5, 60, 40, section.dc, -5, -5, SRCCOPY));
  ReleaseDC(window, dc);
  EXPECT_EQ(headless::ScreenPixel(0, 470), Ref(TestColour(TestIndex(10, 0))));
  EXPECT_EQ(headless::ScreenPixel(29, 479), Ref(TestColour(TestIndex(39, 9))));
  EXPECT_EQ(headless::ScreenPixel(30, 465), outside);  // above the window: untouched
  ASSERT_EQ(headless::Presented().size(), 1u);
  ASSERT_EQ(headless::Presented()[0].rects.size(), 1u);
  RECT r = headless::Presented()[0].rects[0];
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 470);
  EXPECT_EQ(r.right, 30);
  EXPECT_EQ(r.bottom, 480);
}

TEST_F(BlitScreen24, OnePresentPerReleaseWithTheBlittedRectangles) {
  HWND window = MakeWindow(100, 50, 64, 48);
  TestSection section(64, 48, false);
  headless::ClearPresented();
  HDC dc = GetDC(window);
  BitBlt(dc, 0, 0, 8, 8, section.dc, 0, 0, SRCCOPY);
  BitBlt(dc, 16, 4, 8, 12, section.dc, 16, 4, SRCCOPY);
  BitBlt(dc, 40, 40, 4, 4, section.dc, 40, 40, SRCCOPY);
  BitBlt(dc, 2, 2, 2, 2, section.dc, 2, 2, SRCCOPY);  // inside the first
  EXPECT_TRUE(headless::Presented().empty());
  ReleaseDC(window, dc);
  ASSERT_EQ(headless::Presented().size(), 1u);
  const std::vector<RECT>& rects = headless::Presented()[0].rects;
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0].left, 100);
  EXPECT_EQ(rects[0].top, 50);
  EXPECT_EQ(rects[1].left, 116);
  EXPECT_EQ(rects[1].bottom, 66);
  EXPECT_EQ(rects[2].right, 144);

  // A DC that drew nothing presents nothing.
  dc = GetDC(window);
  ReleaseDC(window, dc);
  EXPECT_EQ(headless::Presented().size(), 1u);
}

TEST_F(BlitScreen24, StretchDIBitsFromPackedDib) {
  HWND window = MakeWindow(0, 0, 100, 100);
  for (bool topDown : {false, true}) {
    std::vector<uint8_t> dib = gditest::PackedDib(10, 8, topDown);
    auto* info = reinterpret_cast<BITMAPINFO*>(dib.data());
    const uint8_t* bits = dib.data() + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    HDC dc = GetDC(window);
    // Same size: the whole picture at (1, 2).
    EXPECT_EQ(StretchDIBits(dc, 1, 2, 10, 8, 0, 0, 10, 8, bits, info, DIB_RGB_COLORS, SRCCOPY), 8);
    // Doubled: the picture at (20, 20) as 20x16.
    StretchDIBits(dc, 20, 20, 20, 16, 0, 0, 10, 8, bits, info, DIB_RGB_COLORS, SRCCOPY);
    // Part of it: rows 2 to 4 from the top. A bottom-up DIB counts ySrc from its bottom row.
    int ySrc = topDown ? 2 : 8 - 2 - 3;
    StretchDIBits(dc, 50, 50, 4, 3, 1, ySrc, 4, 3, bits, info, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(window, dc);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 10; ++x)
        ASSERT_EQ(headless::ScreenPixel(1 + x, 2 + y), Ref(TestColour(TestIndex(x, y)))) << topDown;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(headless::ScreenPixel(20 + x, 20 + y), Ref(TestColour(TestIndex(x / 2, y / 2)))) << topDown;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        ASSERT_EQ(headless::ScreenPixel(50 + x, 50 + y), Ref(TestColour(TestIndex(1 + x, 2 + y))))
            << "topDown " << topDown << " at " << x << "," << y;
  }
}

TEST_F(BlitScreen8, StretchDIBitsThroughTheRealizedPalette) {
  HWND window = MakeWindow(0, 0, 32, 32);
  TestSection section(4, 4, false);
  HPALETTE palette = IdentityPaletteFor(section);
  std::vector<uint8_t> dib = gditest::PackedDib(10, 8, false);
  auto* info = reinterpret_cast<BITMAPINFO*>(dib.data());
  const uint8_t* bits = dib.data() + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
  HDC dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  RealizePalette(dc);
  SetDIBitsToDevice(dc, 0, 0, 10, 8, 0, 0, 0, 8, bits, info, DIB_RGB_COLORS);
  ReleaseDC(window, dc);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(headless::ScreenIndex(x, y), TestIndex(x, y)) << x << "," << y;
  DeleteObject(palette);
}

TEST_F(BlitScreen24, SetDIBitsToDeviceDrawsOnlyTheScanLinesGiven) {
  HWND window = MakeWindow(0, 0, 20, 20);
  std::vector<uint8_t> dib = gditest::PackedDib(10, 8, false);
  auto* info = reinterpret_cast<BITMAPINFO*>(dib.data());
  const uint8_t* bits = dib.data() + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
  COLORREF before = headless::ScreenPixel(0, 0);
  HDC dc = GetDC(window);
  // Scan lines 2 to 4 counted from the bottom: rows 5 to 3 from the top.
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 10, 8, 0, 0, 2, 3, bits + 2 * 12, info, DIB_RGB_COLORS), 3);
  ReleaseDC(window, dc);
  for (int y = 0; y < 8; ++y) {
    bool drawn = y >= 3 && y <= 5;
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(headless::ScreenPixel(x, y), drawn ? Ref(TestColour(TestIndex(x, y))) : before) << x << "," << y;
  }
}

TEST_F(BlitScreen24, GetPixelOnWindowAndMemoryDcs) {
  HWND window = MakeWindow(5, 5, 20, 20);
  TestSection section(20, 20, false);
  HDC dc = GetDC(window);
  BitBlt(dc, 0, 0, 20, 20, section.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 3, 4), Ref(TestColour(TestIndex(3, 4))));
  EXPECT_EQ(GetPixel(section.dc, 3, 4), Ref(TestColour(TestIndex(3, 4))));
  EXPECT_EQ(GetPixel(dc, 20, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(section.dc, 0, 20), CLR_INVALID);
  EXPECT_NE(SetPixel(dc, 1, 1, RGB(1, 2, 3)), CLR_INVALID);
  EXPECT_EQ(headless::ScreenPixel(6, 6), RGB(1, 2, 3));
  RECT r = {0, 0, 4, 4};
  HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
  FillRect(dc, &r, brush);
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(9, 8, 7));
  DeleteObject(brush);
  // A system colour number plus one stands for that colour's brush.
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_BTNFACE));
  ReleaseDC(window, dc);
}

TEST_F(BlitScreen8, GetPixelShowsTheSystemPaletteColour) {
  HWND window = MakeWindow(0, 0, 20, 20);
  HDC dc = GetDC(window);
  RECT r = {0, 0, 10, 10};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  EXPECT_EQ(headless::ScreenIndex(2, 2), 7);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(192, 192, 192));
  ReleaseDC(window, dc);
}

TEST_F(BlitScreen24, MemoryToMemoryConvertsThroughColourTables) {
  TestSection a(8, 8, false), b(8, 8, true);
  // b's table is a's reversed: the copy must pick the entries of equal colour.
  RGBQUAD reversed[256];
  for (int i = 0; i < 256; ++i) reversed[i] = TestColour(255 - i);
  SetDIBColorTable(b.dc, 0, 256, reversed);
  ASSERT_TRUE(BitBlt(b.dc, 0, 0, 8, 8, a.dc, 0, 0, SRCCOPY));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(*b.Pixel(x, y), 255 - TestIndex(x, y));
}

}  // namespace

namespace {

// The test picture doubled and at its own size, through an identity
// palette: the screen shows it, and so does the screenshot (it lands in the
// build directory for a look).
void DrawTestPicture(const char* file) {
  HWND window = MakeWindow(40, 40, 400, 200);
  TestSection section(128, 96, false);
  HPALETTE palette = IdentityPaletteFor(section);
  std::vector<uint8_t> dib = gditest::PackedDib(128, 96, false);
  HDC dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  RealizePalette(dc);
  ASSERT_TRUE(StretchDIBits(dc, 0, 0, 256, 192, 0, 0, 128, 96, dib.data() + sizeof(BITMAPINFOHEADER) + 1024,
                            reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS, SRCCOPY));
  ASSERT_TRUE(BitBlt(dc, 266, 0, 128, 96, section.dc, 0, 0, SRCCOPY));
  ReleaseDC(window, dc);
  DeleteObject(palette);
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 128; ++x) {
      const COLORREF expected = Ref(TestColour(TestIndex(x, y)));
      ASSERT_EQ(headless::ScreenPixel(40 + 266 + x, 40 + y), expected) << "copy at " << x << "," << y;
      for (int d = 0; d < 4; ++d)
        ASSERT_EQ(headless::ScreenPixel(40 + 2 * x + d % 2, 40 + 2 * y + d / 2), expected)
            << "doubled at " << x << "," << y;
    }

  const std::string path = std::string(ORVANEL_BINARY_DIR) + "/" + file;
  ASSERT_TRUE(headless::SaveScreenshot(path));
  const testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  ASSERT_EQ(static_cast<int>(shot.width), headless::ScreenWidth());
  ASSERT_EQ(static_cast<int>(shot.height), headless::ScreenHeight());
  for (unsigned y = 40; y < 240; ++y)
    for (unsigned x = 40; x < 440; ++x) {
      const uint8_t* p = shot.At(x, y);
      ASSERT_EQ(RGB(p[0], p[1], p[2]), headless::ScreenPixel(x, y)) << "screenshot at " << x << "," << y;
    }
}

TEST_F(BlitScreen24, ScreenshotOfTheTestPicture) { DrawTestPicture("gdi_picture_24.png"); }
TEST_F(BlitScreen8, ScreenshotOfTheTestPicture) { DrawTestPicture("gdi_picture_8.png"); }

}  // namespace

namespace {

class StageSequence8 : public testsupport::HeadlessTest {
 protected:
  int ScreenDepth() const override { return 8; }
};

// The order of calls a stage makes: a section made through the screen DC,
// a flush of the system palette with a no-collapse copy of it, an identity
// palette of black reserved entries realized in the window, then new
// colours played in with AnimatePalette, then the frame copied.
TEST_F(StageSequence8, IdentityPaletteThroughAnimationShowsTheFrame) {
  HWND window = MakeWindow(0, 0, 32, 32);
  TestSection section(32, 32, false);
  HDC screen = GetDC(nullptr);
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
  log->palVersion = 0x300;
  log->palNumEntries = 256;
  ASSERT_EQ(GetSystemPaletteEntries(screen, 0, 256, log->palPalEntry), 256u);
  for (int i = 0; i < 256; ++i) log->palPalEntry[i].peFlags = PC_NOCOLLAPSE;
  HPALETTE flush = CreatePalette(log);
  HPALETTE before = SelectPalette(screen, flush, FALSE);
  RealizePalette(screen);
  SelectPalette(screen, before, FALSE);
  EXPECT_TRUE(DeleteObject(flush));
  RGBQUAD table[256];
  for (int i = 0; i < 256; ++i) {
    if (i >= 10 && i < 246) log->palPalEntry[i] = PALETTEENTRY{0, 0, 0, PC_RESERVED};
    else log->palPalEntry[i].peFlags = 0;
    table[i] = RGBQUAD{log->palPalEntry[i].peBlue, log->palPalEntry[i].peGreen, log->palPalEntry[i].peRed, 0};
  }
  ReleaseDC(nullptr, screen);
  SetDIBColorTable(section.dc, 0, 256, table);
  HPALETTE palette = CreatePalette(log);
  HDC dc = GetDC(window);
  HPALETTE kept = SelectPalette(dc, palette, FALSE);
  RealizePalette(dc);
  ReleaseDC(window, dc);

  PALETTEENTRY animated[236];
  for (int i = 10; i < 246; ++i) {
    table[i] = TestColour(i);
    animated[i - 10] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, PC_RESERVED};
  }
  SetDIBColorTable(section.dc, 0, 256, table);
  dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  ASSERT_TRUE(AnimatePalette(palette, 10, 236, animated));
  ReleaseDC(window, dc);

  headless::ClearPresented();
  dc = GetDC(window);
  SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(RealizePalette(dc), 0u);  // already in place
  BitBlt(dc, 0, 0, 16, 32, section.dc, 0, 0, SRCCOPY);
  BitBlt(dc, 16, 0, 16, 32, section.dc, 16, 0, SRCCOPY);
  ReleaseDC(window, dc);
  EXPECT_EQ(headless::Presented().size(), 1u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(headless::ScreenIndex(x, y), TestIndex(x, y));
      ASSERT_EQ(headless::ScreenPixel(x, y), Ref(TestColour(TestIndex(x, y))));
    }
  dc = GetDC(window);
  SelectPalette(dc, kept, FALSE);
  ReleaseDC(window, dc);
  EXPECT_TRUE(DeleteObject(palette));
}

}  // namespace
