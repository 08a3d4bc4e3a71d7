// mBitmap: layout of both forms, row order, re-creation and failures.
#include "stage/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

using BitmapTest = testsupport::HeadlessTest;

TEST_F(BitmapTest, MemoryBitmapLayout) {
  mBitmap bitmap;
  ASSERT_TRUE(bitmap.Create(3, 2, 8));
  const BitmapDesc& d = *bitmap.desc;
  EXPECT_EQ(4, d.stride);
  EXPECT_EQ(-4, d.pitch);
  EXPECT_FALSE(d.topDown);
  EXPECT_EQ(d.bits + 4, d.row0);
  EXPECT_EQ(size_t{2 * 4 + 1024 + 40}, GlobalSize(bitmap.memory));
  EXPECT_EQ(2, bitmap.header->biHeight);
  EXPECT_EQ(256u, bitmap.header->biClrUsed);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(bitmap.header) + 40, reinterpret_cast<uint8_t*>(d.colours));

  ASSERT_TRUE(bitmap.Create(3, -2, 8));
  EXPECT_TRUE(bitmap.desc->topDown);
  EXPECT_EQ(4, bitmap.desc->pitch);
  EXPECT_EQ(bitmap.desc->bits, bitmap.desc->row0);
  EXPECT_EQ(2, bitmap.header->biHeight);
}

TEST_F(BitmapTest, RecreatingKeepsColoursAndReleaseKeepsTransparency) {
  mBitmap bitmap(4, 4, 8);
  const RGBQUAD odd = {1, 2, 3, 0};
  bitmap.SetColours(&odd, 100, 1);
  bitmap.SetTransparentColour(100);
  bitmap.SetRemap(TRUE);
  ASSERT_TRUE(bitmap.Create(8, 8, 8));
  EXPECT_EQ(0, std::memcmp(&odd, &bitmap.desc->colours[100], sizeof odd));
  bitmap.Release();
  EXPECT_EQ(1, bitmap.desc->width);
  EXPECT_EQ(nullptr, bitmap.desc->colours);
  EXPECT_EQ(100u, bitmap.desc->transparentIndex);
  EXPECT_EQ(kBitmapTransparent | kBitmapRemap, bitmap.desc->flags);
}

TEST_F(BitmapTest, SetTopDownKeepsThePicture) {
  for (int height : {1, 4, 5}) {
    mBitmap bitmap(5, height, 8);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 5; ++x) *bitmap.desc->Pixel(x, y) = static_cast<uint8_t>(10 * y + x);
    bitmap.SetTopDown(FALSE);  // already bottom-up: nothing
    EXPECT_FALSE(bitmap.desc->topDown);
    bitmap.SetTopDown(TRUE);
    EXPECT_TRUE(bitmap.desc->topDown);
    EXPECT_EQ(bitmap.desc->bits, bitmap.desc->row0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(10 * y + x, *bitmap.desc->Pixel(x, y)) << "height " << height;
  }
}

TEST_F(BitmapTest, SizesThatCannotBeLaidOutAreRefused) {
  headless::ClearMessageBoxes();
  mBitmap bitmap;
  EXPECT_FALSE(bitmap.Create(1 << 20, 1 << 20, 8));  // 2^40 bytes: the 32-bit row arithmetic would wrap
  EXPECT_FALSE(bitmap.Create(0x7FFFFFFF, 1, 32));
  EXPECT_FALSE(bitmap.Create(0, 5, 8));
  EXPECT_EQ(1, bitmap.desc->width);
  EXPECT_EQ(1, bitmap.desc->height);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(&bitmap.placeholder), bitmap.desc->bits);
  ASSERT_EQ(3u, headless::MessageBoxes().size());
  EXPECT_EQ("mBitmap", headless::MessageBoxes()[0].caption);
  EXPECT_EQ("Out of memory", headless::MessageBoxes()[0].text);
}

TEST_F(BitmapTest, DestroyingAHeldBitmapWarns) {
  headless::ClearMessageBoxes();
  auto* bitmap = new mBitmap(2, 2, 8);
  bitmap->refCount = 1;
  delete bitmap;
  ASSERT_EQ(1u, headless::MessageBoxes().size()) << "one warning, not a second from mObject";
  EXPECT_EQ("mBitmap", headless::MessageBoxes()[0].caption);
  EXPECT_EQ("Still in use", headless::MessageBoxes()[0].text);
}

TEST_F(BitmapTest, SectionIsBottomUpInAMemoryContext) {
  mBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateSection(10, -6, 0));
  EXPECT_NE(nullptr, bitmap.memoryDC);
  EXPECT_NE(nullptr, bitmap.section);
  EXPECT_EQ(8, bitmap.desc->bitsPerPixel);
  EXPECT_EQ(6, bitmap.desc->height);
  EXPECT_EQ(12, bitmap.desc->stride);
  EXPECT_EQ(-12, bitmap.desc->pitch);
  EXPECT_EQ(bitmap.desc->bits + 5 * 12, bitmap.desc->row0);
  EXPECT_EQ(71, bitmap.desc->colours[12].rgbRed) << "default colours";
  RGBQUAD table[256];
  ASSERT_EQ(256u, GetDIBColorTable(bitmap.memoryDC, 0, 256, table));
  EXPECT_EQ(71, table[12].rgbRed) << "the section's own table";
}

HBITMAP WINAPI FailingSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

TEST_F(BitmapTest, WithoutASectionAMemoryBitmapOfTheSameSizeStandsIn) {
  stage_internal::g_createDibSection = &FailingSection;
  mBitmap bitmap;
  const RGBQUAD odd = {9, 8, 7, 0};
  bitmap.Create(1, 1, 8);
  bitmap.SetColours(&odd, 3, 1);
  const BOOL made = bitmap.CreateSection(40, 30, 8);
  stage_internal::g_createDibSection = &CreateDIBSection;
  ASSERT_TRUE(made);
  EXPECT_EQ(nullptr, bitmap.memoryDC);
  EXPECT_NE(nullptr, bitmap.memory);
  EXPECT_EQ(40, bitmap.desc->width);
  EXPECT_EQ(30, bitmap.desc->height);
  EXPECT_FALSE(bitmap.desc->topDown);
  EXPECT_EQ(0, std::memcmp(&odd, &bitmap.desc->colours[3], sizeof odd)) << "colours carried over";
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

}  // namespace
