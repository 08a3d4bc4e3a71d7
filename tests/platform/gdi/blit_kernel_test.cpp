// The pixel loops on their own: orientation, clipping, stretching, formats.
#include "gdi/blit_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace plat::gdi {
namespace {

constexpr uint32_t kSentinel = 0xA5A5A5;

// A picture in memory with a chosen layout.
struct Picture {
  std::vector<uint8_t> bytes;
  PixelView view;
  Picture(int width, int height, int bpp, PixelFormat format, bool topDown) {
    int stride = ((width * bpp + 31) / 32) * 4;
    bytes.assign(static_cast<size_t>(stride) * height, 0);
    view.width = width;
    view.height = height;
    view.bitsPerPixel = bpp;
    view.format = format;
    view.pitch = topDown ? stride : -stride;
    view.row0 = topDown ? bytes.data() : bytes.data() + static_cast<ptrdiff_t>(height - 1) * stride;
  }
};

Picture Screen32(int width, int height) {
  Picture p(width, height, 32, PixelFormat::kXrgb32, true);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) WriteRaw(p.view, x, y, kSentinel);
  return p;
}

// Index pattern that tells every pixel apart.
uint8_t PatternIndex(int x, int y) { return static_cast<uint8_t>(x * 7 + y * 31); }

void FillPattern(const Picture& p) {
  for (int y = 0; y < p.view.height; ++y)
    for (int x = 0; x < p.view.width; ++x) WriteRaw(p.view, x, y, PatternIndex(x, y) % (1u << p.view.bitsPerPixel));
}

std::vector<uint32_t> GreyTable() {
  std::vector<uint32_t> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i] = (i << 16) | (i << 8) | (255 - i);
  return table;
}

TEST(BlitKernel, IndexedSourceThroughTableSameLookInEitherRowOrder) {
  for (bool topDown : {false, true}) {
    Picture src(13, 9, 8, PixelFormat::kIndexed, topDown);
    FillPattern(src);
    Picture dst = Screen32(20, 12);
    std::vector<uint32_t> table = GreyTable();
    BlitJob job;
    job.src = src.view;
    job.dst = dst.view;
    job.dstX = 3, job.dstY = 2, job.dstWidth = 10, job.dstHeight = 6;
    job.srcX = 2, job.srcY = 1, job.srcWidth = 10, job.srcHeight = 6;
    job.clip = RECT{0, 0, 20, 12};
    job.table = table.data();
    RECT drawn = RunBlit(job);
    EXPECT_EQ(drawn.left, 3);
    EXPECT_EQ(drawn.top, 2);
    EXPECT_EQ(drawn.right, 13);
    EXPECT_EQ(drawn.bottom, 8);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 20; ++x) {
        bool inside = x >= 3 && x < 13 && y >= 2 && y < 8;
        uint32_t want = inside ? table[PatternIndex(x - 1, y - 1)] : kSentinel;
        ASSERT_EQ(ReadRaw(dst.view, x, y), want) << "topDown " << topDown << " at " << x << "," << y;
      }
    }
  }
}

TEST(BlitKernel, ClipsToClipRectangleDestinationAndSource) {
  Picture src(8, 8, 8, PixelFormat::kIndexed, false);
  FillPattern(src);
  Picture dst = Screen32(10, 10);
  std::vector<uint32_t> table = GreyTable();
  BlitJob job;
  job.src = src.view;
  job.dst = dst.view;
  // Asks for 12x12 from (-2,-2) of the source at (-1, 4): the source ends at
  // 8, the destination at 10, the clip at x 7.
  job.dstX = -1, job.dstY = 4, job.dstWidth = 12, job.dstHeight = 12;
  job.srcX = -2, job.srcY = -2, job.srcWidth = 12, job.srcHeight = 12;
  job.clip = RECT{0, 0, 7, 100};
  job.table = table.data();
  RECT drawn = RunBlit(job);
  // Source column 0 lands at x 1, row 0 at y 6.
  EXPECT_EQ(drawn.left, 1);
  EXPECT_EQ(drawn.top, 6);
  EXPECT_EQ(drawn.right, 7);
  EXPECT_EQ(drawn.bottom, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      bool inside = x >= 1 && x < 7 && y >= 6;
      uint32_t want = inside ? table[PatternIndex(x - 1, y - 6)] : kSentinel;
      ASSERT_EQ(ReadRaw(dst.view, x, y), want) << x << "," << y;
    }
}

TEST(BlitKernel, NothingDrawnWhenWhollyOutside) {
  Picture src(4, 4, 8, PixelFormat::kIndexed, true);
  Picture dst = Screen32(4, 4);
  std::vector<uint32_t> table = GreyTable();
  BlitJob job;
  job.src = src.view;
  job.dst = dst.view;
  job.dstX = 5, job.dstY = 0, job.dstWidth = 4, job.dstHeight = 4;
  job.srcWidth = 4, job.srcHeight = 4;
  job.clip = RECT{0, 0, 4, 4};
  job.table = table.data();
  RECT drawn = RunBlit(job);
  EXPECT_GE(drawn.left, drawn.right);
  job.dstX = 0;
  job.srcX = 4;  // source wholly to the right of the picture
  drawn = RunBlit(job);
  EXPECT_GE(drawn.left, drawn.right);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(ReadRaw(dst.view, x, y), kSentinel);
}

TEST(BlitKernel, StretchTakesNearestPixel) {
  Picture src(3, 2, 8, PixelFormat::kIndexed, false);
  FillPattern(src);
  Picture dst = Screen32(6, 4);
  std::vector<uint32_t> table = GreyTable();
  BlitJob job;
  job.src = src.view;
  job.dst = dst.view;
  job.dstWidth = 6, job.dstHeight = 4;
  job.srcWidth = 3, job.srcHeight = 2;
  job.clip = RECT{0, 0, 6, 4};
  job.table = table.data();
  RunBlit(job);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(ReadRaw(dst.view, x, y), table[PatternIndex(x / 2, y / 2)]) << x << "," << y;

  // Shrinking 6 to 3 takes the pixel under each centre: 1, 3, 5.
  Picture wide(6, 1, 8, PixelFormat::kIndexed, true);
  FillPattern(wide);
  Picture small = Screen32(3, 1);
  job.src = wide.view;
  job.dst = small.view;
  job.dstWidth = 3, job.dstHeight = 1, job.srcWidth = 6, job.srcHeight = 1;
  RunBlit(job);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(ReadRaw(small.view, x, 0), table[PatternIndex(2 * x + 1, 0)]);
}

TEST(BlitKernel, SmallIndexDepthsAndDirectSources) {
  std::vector<uint32_t> table = GreyTable();
  for (int bpp : {1, 4}) {
    Picture src(11, 3, bpp, PixelFormat::kIndexed, false);
    FillPattern(src);
    Picture dst = Screen32(11, 3);
    BlitJob job;
    job.src = src.view;
    job.dst = dst.view;
    job.dstWidth = job.srcWidth = 11;
    job.dstHeight = job.srcHeight = 3;
    job.clip = RECT{0, 0, 11, 3};
    job.table = table.data();
    RunBlit(job);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 11; ++x)
        ASSERT_EQ(ReadRaw(dst.view, x, y), table[PatternIndex(x, y) % (1u << bpp)]) << bpp << " " << x << "," << y;
  }
  // 24 and 16 bits (5-5-5) into 0x00RRGGBB.
  Picture rgb24(2, 1, 24, PixelFormat::kBgr24, true);
  WriteRaw(rgb24.view, 0, 0, 0x123456);
  WriteRaw(rgb24.view, 1, 0, 0xFEDCBA);
  Picture rgb16(2, 1, 16, PixelFormat::kRgb555, true);
  WriteRaw(rgb16.view, 0, 0, PackDirect(PixelFormat::kRgb555, 0xFF0000));
  WriteRaw(rgb16.view, 1, 0, PackDirect(PixelFormat::kRgb555, 0x00FFFF));
  for (Picture* src : {&rgb24, &rgb16}) {
    Picture dst = Screen32(2, 1);
    BlitJob job;
    job.src = src->view;
    job.dst = dst.view;
    job.dstWidth = job.srcWidth = 2;
    job.dstHeight = job.srcHeight = 1;
    job.clip = RECT{0, 0, 2, 1};
    RunBlit(job);
    if (src == &rgb24) {
      EXPECT_EQ(ReadRaw(dst.view, 0, 0), 0x123456u);
      EXPECT_EQ(ReadRaw(dst.view, 1, 0), 0xFEDCBAu);
    } else {
      EXPECT_EQ(ReadRaw(dst.view, 0, 0), 0xFF0000u);
      EXPECT_EQ(ReadRaw(dst.view, 1, 0), 0x00FFFFu);
    }
  }
}

TEST(BlitKernel, EightBitIntoEightBitIdentityAndMapped) {
  Picture src(9, 5, 8, PixelFormat::kIndexed, false);
  FillPattern(src);
  std::vector<uint32_t> identity(256), shifted(256);
  for (uint32_t i = 0; i < 256; ++i) identity[i] = i, shifted[i] = (i + 1) & 0xFF;
  for (const std::vector<uint32_t>* table : {&identity, &shifted}) {
    Picture dst(9, 5, 8, PixelFormat::kSystemIndexed, true);
    BlitJob job;
    job.src = src.view;
    job.dst = dst.view;
    job.dstWidth = job.srcWidth = 9;
    job.dstHeight = job.srcHeight = 5;
    job.clip = RECT{0, 0, 9, 5};
    job.table = table->data();
    RunBlit(job);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(ReadRaw(dst.view, x, y), (*table)[PatternIndex(x, y)]);
  }
}

// A window's shared image is written with streamed stores for whole cache
// lines and ordinary ones at the row ends: every start and width lands each
// pixel, runs of one colour included, and nothing beside the rectangle.
TEST(BlitKernel, StreamedDestinationGetsExactlyTheRectangleAtAnyOffset) {
  Picture src(80, 2, 8, PixelFormat::kIndexed, true);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 80; ++x) WriteRaw(src.view, x, y, (x / 9) % 2 ? 5u : PatternIndex(x, y));
  std::vector<uint32_t> table = GreyTable();
  for (int left = 0; left < 20; ++left) {
    for (int width : {1, 7, 8, 15, 16, 17, 31, 32, 33, 47, 60}) {
      Picture dst = Screen32(80, 2);
      BlitJob job;
      job.src = src.view;
      job.dst = dst.view;
      job.dstX = job.srcX = left;
      job.dstWidth = job.srcWidth = width;
      job.dstHeight = job.srcHeight = 2;
      job.clip = RECT{0, 0, 80, 2};
      job.table = table.data();
      job.streamDestination = true;
      RunBlit(job);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 80; ++x) {
          uint32_t want = x >= left && x < left + width ? table[ReadRaw(src.view, x, y)] : kSentinel;
          ASSERT_EQ(ReadRaw(dst.view, x, y), want) << "from " << left << " width " << width << " at " << x;
        }
    }
  }
}

TEST(BlitKernel, CopyWithinOnePictureDownwardsKeepsTheSource) {
  Picture pic(6, 6, 8, PixelFormat::kIndexed, true);
  FillPattern(pic);
  std::vector<uint32_t> identity(256);
  for (uint32_t i = 0; i < 256; ++i) identity[i] = i;
  BlitJob job;
  job.src = pic.view;
  job.dst = pic.view;
  job.dstX = 1, job.dstY = 2, job.dstWidth = 4, job.dstHeight = 4;
  job.srcX = 0, job.srcY = 0, job.srcWidth = 4, job.srcHeight = 4;
  job.clip = RECT{0, 0, 6, 6};
  job.table = identity.data();
  RunBlit(job);
  for (int y = 2; y < 6; ++y)
    for (int x = 1; x < 5; ++x) ASSERT_EQ(ReadRaw(pic.view, x, y), PatternIndex(x - 1, y - 2)) << x << "," << y;
}

TEST(BlitKernel, FillRawCoversExactlyTheRectangle) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    PixelFormat format = bpp <= 8 ? PixelFormat::kIndexed
                         : bpp == 16 ? PixelFormat::kRgb555
                         : bpp == 24 ? PixelFormat::kBgr24
                                     : PixelFormat::kXrgb32;
    Picture pic(17, 5, bpp, format, false);
    uint32_t value = bpp == 1 ? 1 : bpp == 4 ? 9 : bpp == 8 ? 200 : 0x1234 & ((1u << std::min(bpp, 24)) - 1);
    FillRaw(pic.view, RECT{3, 1, 14, 4}, value);
    FillRaw(pic.view, RECT{-5, -5, 0, 9}, value);  // wholly left of the picture
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 17; ++x) {
        bool inside = x >= 3 && x < 14 && y >= 1 && y < 4;
        ASSERT_EQ(ReadRaw(pic.view, x, y), inside ? value : 0u) << bpp << " bpp at " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace plat::gdi
