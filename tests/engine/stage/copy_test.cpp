// The copies and the fill against the pixel-by-pixel rules, over every
// width and start column that matter, both row orders, and with sentinel
// bytes around every target so that stray writes show.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "stage/bitmap.h"
#include "stage/row_kernels.h"

namespace {

constexpr uint8_t kSentinel = 0xA5;
constexpr uint8_t kKey = 7;

// A row with about a third of the pixels at the key, in runs and alone.
std::vector<uint8_t> SpriteRow(std::mt19937& rng, size_t width) {
  std::vector<uint8_t> row(width);
  for (size_t i = 0; i < width; ++i) row[i] = rng() % 3 == 0 ? kKey : static_cast<uint8_t>(rng() % 256);
  return row;
}

enum class Mode { kOpaque, kKeyed, kOpaqueMapped, kKeyedMapped };

void RunRow(Mode mode, uint8_t* dst, const uint8_t* src, size_t width, const uint8_t* table) {
  switch (mode) {
    case Mode::kOpaque:
      return rows::CopyOpaque(dst, src, width);
    case Mode::kKeyed:
      return rows::CopyKeyed(dst, src, width, kKey);
    case Mode::kOpaqueMapped:
      return rows::CopyOpaqueMapped(dst, src, width, table);
    case Mode::kKeyedMapped:
      return rows::CopyKeyedMapped(dst, src, width, kKey, table);
  }
}

uint8_t Expected(Mode mode, uint8_t old, uint8_t src, const uint8_t* table) {
  const bool keyed = mode == Mode::kKeyed || mode == Mode::kKeyedMapped;
  const bool mapped = mode == Mode::kOpaqueMapped || mode == Mode::kKeyedMapped;
  if (keyed && src == kKey) return old;
  return mapped ? table[src] : src;
}

class RowKernels : public ::testing::TestWithParam<Mode> {};

TEST_P(RowKernels, EqualThePixelRuleForEveryWidthAndAlignment) {
  std::mt19937 rng(1234);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  for (size_t width = 0; width <= 70; ++width) {
    for (size_t srcOffset = 0; srcOffset < 4; ++srcOffset) {
      for (size_t dstOffset = 0; dstOffset < 17; ++dstOffset) {
        std::vector<uint8_t> src(srcOffset, 0);
        std::vector<uint8_t> pixels = SpriteRow(rng, width);
        src.insert(src.end(), pixels.begin(), pixels.end());
        std::vector<uint8_t> dst(dstOffset + width + 8, kSentinel);
        for (size_t i = 0; i < width; ++i) dst[dstOffset + i] = static_cast<uint8_t>(i * 13);
        std::vector<uint8_t> want = dst;
        for (size_t i = 0; i < width; ++i)
          want[dstOffset + i] = Expected(GetParam(), dst[dstOffset + i], pixels[i], table);
        RunRow(GetParam(), dst.data() + dstOffset, src.data() + srcOffset, width, table);
        ASSERT_EQ(want, dst) << "width " << width << ", source offset " << srcOffset << ", target offset "
                             << dstOffset;
      }
    }
  }
}

std::string ModeName(const ::testing::TestParamInfo<Mode>& info) {
  static const char* const kNames[] = {"Opaque", "Keyed", "OpaqueMapped", "KeyedMapped"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllModes, RowKernels,
                         ::testing::Values(Mode::kOpaque, Mode::kKeyed, Mode::kOpaqueMapped,
                                           Mode::kKeyedMapped),
                         ModeName);

TEST(KeyedRows, AllTransparentRowsAndALoneLastPixel) {
  for (Mode mode : {Mode::kKeyed, Mode::kKeyedMapped}) {
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i ^ 0x40);
    for (size_t width = 1; width <= 40; ++width) {
      std::vector<uint8_t> src(width, kKey);
      std::vector<uint8_t> dst(width, kSentinel);
      RunRow(mode, dst.data(), src.data(), width, table);
      ASSERT_EQ(std::vector<uint8_t>(width, kSentinel), dst) << "all transparent, width " << width;
      src[width - 1] = 9;
      RunRow(mode, dst.data(), src.data(), width, table);
      ASSERT_EQ(Expected(mode, kSentinel, 9, table), dst[width - 1]) << "last pixel, width " << width;
      ASSERT_EQ(std::vector<uint8_t>(dst.begin(), dst.end() - 1), std::vector<uint8_t>(width - 1, kSentinel));
    }
  }
}

// A bitmap whose pixel (x, y) holds a value made from x and y.
void Paint(mBitmap& bitmap, int seed) {
  for (int y = 0; y < bitmap.desc->height; ++y)
    for (int x = 0; x < bitmap.desc->width; ++x)
      *bitmap.desc->Pixel(x, y) = static_cast<uint8_t>(x * 7 + y * 31 + seed);
}

std::vector<uint8_t> Picture(const mBitmap& bitmap) {
  std::vector<uint8_t> out;
  for (int y = 0; y < bitmap.desc->height; ++y)
    for (int x = 0; x < bitmap.desc->width; ++x) out.push_back(*bitmap.desc->Pixel(x, y));
  return out;
}

TEST(BitmapCopies, SameResultBetweenEveryPairOfRowOrders) {
  std::vector<uint8_t> reference;
  for (int sourceTopDown = 0; sourceTopDown < 2; ++sourceTopDown) {
    for (int targetTopDown = 0; targetTopDown < 2; ++targetTopDown) {
      mBitmap source(13, 9, 8), target(21, 11, 8);
      source.SetTopDown(sourceTopDown);
      target.SetTopDown(targetTopDown);
      Paint(source, 1);
      for (int y = 0; y < 9; ++y) *source.desc->Pixel(y, y) = kKey;  // a transparent diagonal
      Paint(target, 100);
      source.SetTransparentColour(kKey);
      const RECT r = {5, 1, 16, 9};
      source.CopyKeyed(&target, &r, 2, 1);
      std::vector<uint8_t> got = Picture(target);
      if (reference.empty()) {
        reference = got;
        // Spot checks of the rule itself.
        EXPECT_EQ(*source.desc->Pixel(2, 1), *target.desc->Pixel(5, 1));
        EXPECT_EQ(static_cast<uint8_t>(5 * 7 + 2 * 31 + 100), *target.desc->Pixel(5, 2))
            << "keyed pixel kept";
        EXPECT_EQ(static_cast<uint8_t>(4 * 7 + 1 * 31 + 100), *target.desc->Pixel(4, 1))
            << "outside the rectangle";
      }
      EXPECT_EQ(reference, got) << "source top-down " << sourceTopDown << ", target top-down "
                                << targetTopDown;
    }
  }
}

TEST(BitmapCopies, RectanglesOutsideEitherBitmapAreCut) {
  mBitmap source(8, 8, 8), target(8, 8, 8);
  Paint(source, 3);
  Paint(target, 50);
  const std::vector<uint8_t> before = Picture(target);
  const RECT wild = {-20, -20, 400, 400};
  source.CopyOpaque(&target, &wild, 0, 0);  // lands at (0, 0) from source (20, 20): nothing there
  EXPECT_EQ(before, Picture(target));
  const RECT inside = {-2, 0, 4, 3};
  source.CopyOpaque(&target, &inside, 0, 0);  // source x starts at 2
  EXPECT_EQ(*source.desc->Pixel(2, 0), *target.desc->Pixel(0, 0));
  EXPECT_EQ(*source.desc->Pixel(5, 2), *target.desc->Pixel(3, 2));
  EXPECT_EQ(before[4], *target.desc->Pixel(4, 0));
}

TEST(BitmapCopies, DrawingAFrameByItsCopyModeAndClip) {
  mBitmap frame(20, 20, 8), stage(30, 30, 8);
  Paint(frame, 9);
  frame.DrawOnto(&stage, -10, -10, nullptr, 20, 20);
  EXPECT_EQ(*frame.desc->Pixel(10, 10), *stage.desc->Pixel(0, 0));
  EXPECT_EQ(*frame.desc->Pixel(19, 19), *stage.desc->Pixel(9, 9));
  EXPECT_EQ(0, *stage.desc->Pixel(10, 10));

  const std::vector<uint8_t> before = Picture(stage);
  const RECT clip = {0, 0, 5, 5};
  frame.DrawOnto(&stage, 12, 12, &clip, 20, 20);
  EXPECT_EQ(before, Picture(stage)) << "wholly outside the clip: nothing drawn";
}

// Colours: entry i of the source is grey i; the target's table is reversed.
void GreyRamp(mBitmap& bitmap, bool reversed) {
  RGBQUAD table[256];
  for (int i = 0; i < 256; ++i) {
    const uint8_t v = static_cast<uint8_t>(reversed ? 255 - i : i);
    table[i] = RGBQUAD{v, v, v, 0};
  }
  bitmap.SetColours(table, 0, 256);
}

TEST(MappedCopies, TranslateAndRebuildAfterEitherPaletteChanges) {
  mBitmap source(6, 2, 8), target(6, 2, 8);
  GreyRamp(source, false);
  GreyRamp(target, false);
  Paint(source, 0);
  source.SetTransparentColour(*source.desc->Pixel(1, 0));
  const RECT all = {0, 0, 6, 2};

  source.CopyOpaqueMapped(&target, &all, 0, 0);
  EXPECT_FALSE(source.translationNeeded) << "equal tables build an identity table";
  EXPECT_EQ(Picture(source), Picture(target));

  GreyRamp(target, true);  // the target's palette moves
  source.CopyOpaqueMapped(&target, &all, 0, 0);
  EXPECT_TRUE(source.translationNeeded);
  EXPECT_EQ(255 - *source.desc->Pixel(3, 1), *target.desc->Pixel(3, 1));

  GreyRamp(source, true);  // now the source's; the tables agree again
  std::memset(target.desc->bits, kSentinel, static_cast<size_t>(target.desc->stride) * 2);
  source.CopyKeyedMapped(&target, &all, 0, 0);
  EXPECT_FALSE(source.translationNeeded);
  EXPECT_EQ(kSentinel, *target.desc->Pixel(1, 0)) << "transparent pixel skipped";
  EXPECT_EQ(*source.desc->Pixel(2, 0), *target.desc->Pixel(2, 0));
}

TEST(MappedCopies, KeyIsComparedBeforeTranslation) {
  mBitmap source(4, 1, 8), target(4, 1, 8);
  GreyRamp(source, false);
  GreyRamp(target, true);
  const uint8_t pixels[4] = {10, 245, 10, 20};
  std::memcpy(source.desc->row0, pixels, 4);
  source.SetTransparentColour(10);
  std::memset(target.desc->row0, kSentinel, 4);
  const RECT all = {0, 0, 4, 1};
  source.CopyKeyedMapped(&target, &all, 0, 0);
  const uint8_t want[4] = {kSentinel, 10, kSentinel, 235};
  EXPECT_EQ(0, std::memcmp(want, target.desc->row0, 4));
}

TEST(FillRects, EveryWidthOneToNineAtEveryStartColumn) {
  for (int topDown = 0; topDown < 2; ++topDown) {
    mBitmap bitmap(24, 3, 8);
    bitmap.SetTopDown(topDown);
    for (int width = 1; width <= 9; ++width) {
      for (int left = 0; left + width <= 24; ++left) {
        std::memset(bitmap.desc->bits, kSentinel, static_cast<size_t>(bitmap.desc->stride) * 3);
        const RECT r = {left, 1, left + width, 2};
        bitmap.FillRects(0x3C, &r, 1);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 24; ++x) {
            const bool inside = y == 1 && x >= left && x < left + width;
            ASSERT_EQ(inside ? 0x3C : kSentinel, *bitmap.desc->Pixel(x, y))
                << "pixel (" << x << ", " << y << "), fill from " << left << " width " << width
                << ", top-down " << topDown;
          }
      }
    }
  }
}

TEST(FillRects, ListsEmptyRectanglesAndOutsideParts) {
  mBitmap bitmap(8, 4, 8);
  const size_t bytes = static_cast<size_t>(bitmap.desc->stride) * 4;
  std::memset(bitmap.desc->bits, kSentinel, bytes);
  const RECT list[3] = {{2, 2, 2, 4}, {-5, -5, 2, 1}, {6, 3, 100, 100}};
  bitmap.FillRects(1, list, 0);
  EXPECT_EQ(kSentinel, *bitmap.desc->Pixel(0, 0)) << "count 0 fills nothing";
  bitmap.FillRects(1, list, 3);
  int filled = 0;
  for (size_t i = 0; i < bytes; ++i) filled += bitmap.desc->bits[i] == 1;
  EXPECT_EQ(4, filled) << "(0,0)-(2,1) and (6,3)-(8,4), cut to the bitmap";
  EXPECT_EQ(1, *bitmap.desc->Pixel(1, 0));
  EXPECT_EQ(1, *bitmap.desc->Pixel(7, 3));
}

TEST(EmptyBitmap, PixelRoutinesTouchOnlyThePlaceholder) {
  mBitmap empty, other(4, 4, 8);
  EXPECT_EQ(1, empty.desc->width);
  EXPECT_TRUE(empty.desc->topDown);
  EXPECT_EQ(nullptr, empty.desc->colours);
  const RECT one = {0, 0, 1, 1};
  empty.FillRects(9, &one, 1);
  EXPECT_EQ(9u, empty.placeholder);
  other.CopyOpaque(&empty, &one, 3, 3);
  EXPECT_EQ(*other.desc->Pixel(3, 3), *empty.desc->row0);
}

}  // namespace
