// The drawing helpers user/ paints text and icons with, and the screen DC.
#include "gdi/dc_access.h"

#include <gtest/gtest.h>

#include "gdi/present.h"
#include "orvanel/headless.h"
#include "platform/gdi/gdi_test_window.h"
#include "support/host_fixture.h"

namespace {

class DcAccess24 : public testsupport::HeadlessTest {};
class DcAccess8 : public testsupport::HeadlessTest {
 protected:
  int ScreenDepth() const override { return 8; }
};

TEST_F(DcAccess24, CoverageBlendsOnTrueColour) {
  HWND window = gditest::MakeWindow(0, 0, 10, 10);
  HDC dc = GetDC(window);
  ASSERT_TRUE(plat::DcFillSolid(dc, RECT{0, 0, 10, 10}, RGB(0, 0, 0)));
  const uint8_t coverage[3] = {255, 128, 0};
  ASSERT_TRUE(plat::DcDrawCoverage(dc, 1, 1, coverage, 3, 1, 3, RGB(200, 100, 50)));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(200, 100, 50));
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(100, 50, 25));
  EXPECT_EQ(GetPixel(dc, 3, 1), RGB(0, 0, 0));
  // Icon pixels: transparent, opaque, and clipped at the window's edge.
  const uint32_t argb[2] = {0x00FFFFFF, 0xFF102030};
  ASSERT_TRUE(plat::DcDrawArgb(dc, 8, 5, argb, 2, 1));
  EXPECT_EQ(GetPixel(dc, 8, 5), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 9, 5), RGB(0x10, 0x20, 0x30));
  ASSERT_TRUE(plat::DcDrawArgb(dc, 9, 9, argb, 2, 1));  // second pixel outside
  EXPECT_EQ(headless::ScreenPixel(10, 9), headless::ScreenPixel(11, 9));
  plat::DcTextState state;
  SetTextColor(dc, RGB(1, 2, 3));
  ASSERT_TRUE(plat::GetDcTextState(dc, &state));
  EXPECT_EQ(state.textColour, RGB(1, 2, 3));
  EXPECT_EQ(state.backMode, OPAQUE);
  ReleaseDC(window, dc);
}

TEST_F(DcAccess8, CoverageOfHalfOrMoreCoversOnPaletteScreens) {
  HWND window = gditest::MakeWindow(0, 0, 10, 10);
  HDC dc = GetDC(window);
  plat::DcFillSolid(dc, RECT{0, 0, 10, 10}, RGB(0, 0, 0));
  const uint8_t coverage[3] = {255, 128, 127};
  plat::DcDrawCoverage(dc, 0, 0, coverage, 3, 1, 3, RGB(255, 255, 255));
  EXPECT_EQ(headless::ScreenIndex(0, 0), 255);
  EXPECT_EQ(headless::ScreenIndex(1, 0), 255);
  EXPECT_EQ(headless::ScreenIndex(2, 0), 0);
  ReleaseDC(window, dc);
}

TEST_F(DcAccess24, ScreenDcPresentsAsTheScreen) {
  headless::ClearPresented();
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  RECT r = {5, 6, 7, 8};
  HBRUSH brush = plat::CreatePermanentBrush(RGB(1, 1, 1));
  FillRect(screen, &r, brush);
  EXPECT_TRUE(DeleteObject(brush));  // stays usable
  FillRect(screen, &r, brush);
  EXPECT_EQ(headless::ScreenPixel(6, 7), RGB(1, 1, 1));
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(headless::Presented().size(), 1u);
  EXPECT_EQ(headless::Presented()[0].nativeId, 0u);
  EXPECT_EQ(headless::Presented()[0].rects[0].left, 5);
}

TEST_F(DcAccess24, FlushPresentSendsWhatADcStillHolds) {
  HWND window = gditest::MakeWindow(20, 20, 10, 10);
  headless::ClearPresented();
  HDC dc = GetDC(window);
  plat::DcFillSolid(dc, RECT{0, 0, 4, 4}, RGB(9, 9, 9));
  plat::FlushPresent();
  ASSERT_EQ(headless::Presented().size(), 1u);
  EXPECT_EQ(headless::Presented()[0].rects[0].left, 20);
  ReleaseDC(window, dc);  // nothing new to show
  EXPECT_EQ(headless::Presented().size(), 1u);
  // A window destroyed before its DC is released presents nothing.
  dc = GetDC(window);
  plat::DcFillSolid(dc, RECT{0, 0, 4, 4}, RGB(9, 9, 9));
  uint64_t id = headless::Presented()[0].nativeId;
  DestroyWindow(window);
  plat::FlushPresent();
  ReleaseDC(window, dc);
  int ofWindow = 0;
  for (const headless::PresentRecord& record : headless::Presented()) ofWindow += record.nativeId == id;
  EXPECT_EQ(ofWindow, 1);
}

}  // namespace
