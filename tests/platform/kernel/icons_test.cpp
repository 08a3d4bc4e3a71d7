#include "../../../platform/kernel/icons.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "support/host_fixture.h"

namespace {

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

plat::IconImage DecodeIconResource(int id) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_ICON);
  plat::IconImage image;
  EXPECT_NE(resource, nullptr) << "RT_ICON " << id;
  if (!resource) return image;
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
  EXPECT_TRUE(plat::DecodeIconImage(data, SizeofResource(nullptr, resource), &image)) << "RT_ICON " << id;
  return image;
}

class IconsTest : public testsupport::HeadlessTest {};

TEST_F(IconsTest, GroupIconGivesTheDeepest32By32Image) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100)), icon) << "shared";
  const plat::IconImage* image = plat::IconPixels(icon);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->width, 32);
  ASSERT_EQ(image->height, 32);
  EXPECT_EQ(image->argb[0], Argb(0, 0, 0, 0x40)) << "its own alpha";
  EXPECT_EQ(image->argb[1], Argb(0x80, 8, 0, 0x40));
  EXPECT_EQ(image->argb[5 * 32 + 3], Argb(0xFF, 24, 40, 0x40)) << "top row first";
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_NE(plat::IconPixels(icon), nullptr) << "shared icons outlive DestroyIcon";
}

TEST_F(IconsTest, PalettedImagesWithMasks) {
  plat::IconImage four = DecodeIconResource(1);
  ASSERT_EQ(four.width, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint32_t i = (x + y) % 16;
      uint32_t expected = x == 15 ? 0 : Argb(0xFF, 16 * i, 255 - 16 * i, i);
      ASSERT_EQ(four.argb[y * 16 + x], expected) << x << "," << y;
    }
  plat::IconImage eight = DecodeIconResource(2);
  ASSERT_EQ(eight.width, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      uint32_t i = (x * 8 + y) % 256;
      ASSERT_EQ(eight.argb[y * 32 + x], y == 0 ? 0 : Argb(0xFF, i, 255 - i, 7)) << x << "," << y;
    }
  plat::IconImage png = DecodeIconResource(4);
  ASSERT_EQ(png.width, 48);
  EXPECT_EQ(png.argb[10 * 48 + 20], Argb(0xFF, 100, 50, 0x99));

  HICON mono = LoadIconA(GetModuleHandleA(nullptr), "shapes");
  ASSERT_NE(mono, nullptr);
  const plat::IconImage* pixels = plat::IconPixels(mono);
  EXPECT_EQ(pixels->argb[0], Argb(0xFF, 0, 0, 0));
  EXPECT_EQ(pixels->argb[1], Argb(0xFF, 255, 255, 255));
  EXPECT_EQ(pixels->argb[31 * 32 + 2], 0u) << "masked row";
}

TEST_F(IconsTest, StockIconsAndFailures) {
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
    HICON icon = LoadIconA(nullptr, id);
    ASSERT_NE(icon, nullptr);
    const plat::IconImage* image = plat::IconPixels(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->argb.size(), 32u * 32u);
    EXPECT_EQ(image->argb[16 * 32 + 16] >> 24, 0xFFu) << "opaque in the middle";
  }
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(100)), nullptr);
  EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), IDI_HAND), nullptr) << "stock icons come with no module";
  EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(uintptr_t{0x1234})));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ICON_HANDLE));
}

TEST_F(IconsTest, CreatedIconsAreDestroyed) {
  plat::IconImage image;
  image.width = 2;
  image.height = 1;
  image.argb = {1, 2};
  HICON icon = plat::CreateIconFromImage(image);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_EQ(plat::IconPixels(icon), nullptr);
  image.argb.pop_back();
  EXPECT_EQ(plat::CreateIconFromImage(image), nullptr);
}

TEST(IconDecode, DamagedImagesAreRefused) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(2), RT_ICON);
  ASSERT_NE(resource, nullptr);
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
  std::vector<uint8_t> good(data, data + SizeofResource(nullptr, resource));
  plat::IconImage image;
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_FALSE(plat::DecodeIconImage(truncated.data(), truncated.size(), &image)) << cut;
  }
  std::vector<uint8_t> wide = good;
  wide[4] = 0x00, wide[5] = 0x10;  // 4096 pixels wide
  EXPECT_FALSE(plat::DecodeIconImage(wide.data(), wide.size(), &image));
  std::vector<uint8_t> compressed = good;
  compressed[16] = 1;
  EXPECT_FALSE(plat::DecodeIconImage(compressed.data(), compressed.size(), &image));
  std::vector<uint8_t> manyColours = good;
  manyColours[32] = 0xFF, manyColours[33] = 0xFF;  // more palette entries than the depth allows
  EXPECT_TRUE(plat::DecodeIconImage(manyColours.data(), manyColours.size(), &image));
}

}  // namespace
