// BMP, PCX and DCX readers: strides, colour tables, placement and clipping,
// run-length rules, and malformed headers refused without reading outside a buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/media/media_test_util.h"
#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_pcx.h"
#include "support/host_fixture.h"

namespace {

using mediatest::TakeReports;
using mediatest::TempFile;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A BMP whose pixel (x, y) is x + 10 * y (8 bits), rows bottom-up unless topDown.
std::vector<uint8_t> MakeBmp8(int width, int height, bool topDown = false, uint32_t colours = 0) {
  int stride = (width + 3) & ~3;
  int table = colours ? static_cast<int>(colours) : 256;
  std::vector<uint8_t> b(54 + 4 * table + static_cast<size_t>(stride) * height);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 54 + 4 * table);
  Put32(b, 14, 40);
  Put32(b, 18, width);
  Put32(b, 22, topDown ? -height : height);
  Put16(b, 26, 1);
  Put16(b, 28, 8);
  Put32(b, 46, colours);
  for (int i = 0; i < table; ++i) b[54 + 4 * i + 2] = static_cast<uint8_t>(i);  // red = index
  for (int y = 0; y < height; ++y) {
    int fileRow = topDown ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) b[54 + 4 * table + fileRow * stride + x] = static_cast<uint8_t>(x + 10 * y);
  }
  return b;
}

// A PCX header with the given layout; the encoded data follows.
std::vector<uint8_t> PcxHeader(int width, int height, int depth, int planes, int lineBytes) {
  std::vector<uint8_t> b(128);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = static_cast<uint8_t>(depth);
  Put16(b, 8, width - 1);
  Put16(b, 10, height - 1);
  for (int i = 0; i < 16; ++i) b[16 + 3 * i] = static_cast<uint8_t>(i * 16);  // red
  b[65] = static_cast<uint8_t>(planes);
  Put16(b, 66, lineBytes);
  return b;
}

class StillTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    testsupport::HeadlessTest::SetUp();
    TakeReports();
  }
  mBitmap target_{40, 30, 8};
};

TEST_F(StillTest, BmpRowStridesFollowDepthAndWidth) {
  struct Case { int bits, width, stride; } cases[] = {{8, 3, 4}, {4, 9, 8}, {1, 33, 8}, {24, 5, 16}};
  for (const auto& c : cases) {
    std::vector<uint8_t> b(54 + 1024 + static_cast<size_t>(c.stride) * 2);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 10, 54 + (c.bits <= 8 ? 4 << c.bits : 0));
    Put32(b, 14, 40), Put32(b, 18, c.width), Put32(b, 22, 2), Put16(b, 26, 1), Put16(b, 28, c.bits);
    mImageBMP image;
    ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
    ASSERT_TRUE(image.ReadHeader());
    EXPECT_EQ(image.rowStride, c.stride) << c.bits << " bits";
  }
}

TEST_F(StillTest, BmpColourCountsAndRefusals) {
  auto b = MakeBmp8(4, 2, false, 16);
  mImageBMP image;
  ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  ASSERT_TRUE(image.ReadHeader());
  EXPECT_EQ(image.GetFrameRecord()->palette[15].rgbRed, 15);
  EXPECT_EQ(image.GetFrameRecord()->palette[16].rgbRed, 0);
  // More than 256 colours: the first 256 are taken.
  auto many = MakeBmp8(4, 2, false, 300);
  Put32(many, 10, 54 + 4 * 300);
  mImageBMP big;
  ASSERT_TRUE(big.OpenMemory(many.data(), static_cast<int32_t>(many.size())));
  EXPECT_TRUE(big.ReadHeader());
  EXPECT_EQ(big.GetFrameRecord()->palette[255].rgbRed, 255);
  // "BA", a 12-byte header, an overflowing size and a width of 0 are refused.
  std::vector<std::vector<uint8_t>> bad(4, MakeBmp8(4, 2));
  bad[0][1] = 'A';
  Put32(bad[1], 14, 12);
  Put32(bad[2], 18, 0x7FFFFFFF);
  Put32(bad[3], 18, 0);
  for (auto& file : bad) {
    mImageBMP refused;
    ASSERT_TRUE(refused.OpenMemory(file.data(), static_cast<int32_t>(file.size())));
    EXPECT_FALSE(refused.ReadHeader());
    EXPECT_EQ(refused.ReadFrame(0, 0, nullptr), -1);
  }
  auto reports = TakeReports();
  ASSERT_EQ(reports.size(), 8u);
  EXPECT_EQ(reports[0], "mImageBMP|File type error");
  EXPECT_EQ(reports[4], "mImageBMP|Out of memory");
}

TEST_F(StillTest, BmpPlacementClippingAndRowOrder) {
  for (bool topDown : {false, true}) {
    auto b = MakeBmp8(20, 5, topDown);
    mImageBMP image;
    ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
    image.SetTarget(&target_);
    std::memset(target_.desc->bits, 0xEE, static_cast<size_t>(target_.desc->stride) * 30);
    ASSERT_EQ(image.ReadFrame(-10, 0, nullptr), 0);
    EXPECT_EQ(*target_.desc->Pixel(0, 0), 10);       // picture column 10
    EXPECT_EQ(*target_.desc->Pixel(9, 4), 19 + 40);  // bottom row
    EXPECT_EQ(*target_.desc->Pixel(10, 0), 0xEE);
    EXPECT_EQ(*target_.desc->Pixel(0, 5), 0xEE);
    RECT miss{30, 20, 40, 30};
    EXPECT_EQ(image.ReadFrame(0, 0, &miss), 0);
    EXPECT_EQ(*target_.desc->Pixel(35, 25), 0xEE);
    image.SetTarget(nullptr);
  }
  mImageBMP noTarget;
  auto b = MakeBmp8(4, 2);
  ASSERT_TRUE(noTarget.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  EXPECT_EQ(noTarget.ReadFrame(0, 0, nullptr), -1);
  EXPECT_EQ(TakeReports().back(), "mImageBMP|Bitmap error");
}

TEST_F(StillTest, BmpRunLengthsSkipAndStopInsideTheirRows) {
  auto b = MakeBmp8(6, 3);
  Put32(b, 30, mImageBMP::kRle8);
  b.resize(54 + 1024);
  // Bottom row: 9 x 5 (cut at 6), end of line; middle: delta (2, 1) skips it;
  // top row from column 2: literal 1, 2, 3 (padded), end of bitmap.
  const uint8_t runs[] = {9, 5, 0, 0, 0, 2, 2, 1, 0, 3, 1, 2, 3, 0, 0, 1};
  b.insert(b.end(), std::begin(runs), std::end(runs));
  mImageBMP image;
  ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  image.SetTarget(&target_);
  ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  const uint8_t want[3][6] = {{0, 0, 1, 2, 3, 0}, {0, 0, 0, 0, 0, 0}, {5, 5, 5, 5, 5, 5}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(*target_.desc->Pixel(x, y), want[y][x]) << x << "," << y;
  image.SetTarget(nullptr);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StillTest, PcxRunsStopAtTheLineAndPaddingIsNeverDrawn) {
  // 3 pixels, 4 bytes per line: a run of 5 fills the line and its padding, the
  // 0xC0 run writes nothing, the next line is literal.
  auto b = PcxHeader(3, 2, 8, 1, 4);
  const uint8_t data[] = {0xC5, 7, 0xC0, 99, 1, 2, 3, 4};
  b.insert(b.end(), std::begin(data), std::end(data));
  std::memset(target_.desc->bits, 0xEE, static_cast<size_t>(target_.desc->stride) * 30);
  mImagePCX image;
  ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  image.SetTarget(&target_);
  ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(*target_.desc->Pixel(2, 0), 7);
  EXPECT_EQ(*target_.desc->Pixel(3, 0), 0xEE);
  EXPECT_EQ(*target_.desc->Pixel(0, 1), 99 < 0xC0 ? 1 : 0);
  EXPECT_EQ(*target_.desc->Pixel(3, 1), 0xEE);
  // Without the trailing colours, the header's 16 stay.
  EXPECT_EQ(image.GetFrameRecord()->palette[15].rgbRed, 240);
  image.SetTarget(nullptr);
}

TEST_F(StillTest, PcxRandomRunsDecodeLikeAPlainByteLoop) {
  // Runs of every length (0 to 63, across line ends) mixed with literals, read
  // from a file large enough to need several refills of the read window.
  const int width = 301, height = 120, lineBytes = 302;
  auto b = PcxHeader(width, height, 8, 1, lineBytes);
  std::vector<uint8_t> expected(static_cast<size_t>(lineBytes) * height);
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int row = 0; row < height; ++row) {
    int filled = 0;
    while (filled < lineBytes) {
      if (next() % 3 == 0) {
        const uint8_t value = static_cast<uint8_t>(next());
        const int count = static_cast<int>(next() % 64);
        b.insert(b.end(), {static_cast<uint8_t>(0xC0 | count), value});
        for (int i = 0; i < count && filled < lineBytes; ++i) expected[static_cast<size_t>(row) * lineBytes + filled++] = value;
      } else {
        const uint8_t literal = static_cast<uint8_t>(next() % 0xC0);
        b.push_back(literal);
        expected[static_cast<size_t>(row) * lineBytes + filled++] = literal;
      }
    }
  }
  TempFile file(b, ".pcx");
  mBitmap target(width, height, 8);
  mImagePCX image;
  ASSERT_TRUE(image.Open(file.Path(), 0));
  image.SetTarget(&target);
  ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  image.SetTarget(nullptr);
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) wrong += *target.desc->Pixel(x, y) != expected[static_cast<size_t>(y) * lineBytes + x];
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StillTest, PcxTrailingPaletteReplacesTheHeaderColours) {
  auto b = PcxHeader(2, 1, 8, 1, 2);
  b.insert(b.end(), {0xC2, 9});
  b.push_back(0x0C);
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {static_cast<uint8_t>(255 - i), 0, static_cast<uint8_t>(i)});
  mImagePCX image;
  ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  ASSERT_TRUE(image.ReadHeader());
  EXPECT_EQ(image.GetFrameRecord()->palette[0].rgbRed, 255);
  EXPECT_EQ(image.GetFrameRecord()->palette[200].rgbBlue, 200);
  EXPECT_EQ(image.GetFrameRecord()->paletteChanged, 1);
}

TEST_F(StillTest, PcxFourPlanesAndTrueColourThroughTheTable) {
  // One pixel, planes 0 and 2 set: index 5.
  auto planes4 = PcxHeader(1, 1, 1, 4, 1);
  planes4.insert(planes4.end(), {0x80, 0x00, 0x80, 0x00});
  mImagePCX image;
  ASSERT_TRUE(image.OpenMemory(planes4.data(), static_cast<int32_t>(planes4.size())));
  image.SetTarget(&target_);
  ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(*target_.desc->Pixel(0, 0), 5);
  image.SetTarget(nullptr);

  auto rgb = PcxHeader(1, 1, 8, 3, 1);
  rgb.insert(rgb.end(), {0xC1, 0xF0, 0x00, 0x00});  // pure red, as a run of one
  RGBQUAD colours[256] = {};
  colours[7] = RGBQUAD{0, 0, 255, 0};
  target_.SetColours(colours, 0, 256);
  mImagePCX truecolour;
  ASSERT_TRUE(truecolour.OpenMemory(rgb.data(), static_cast<int32_t>(rgb.size())));
  ASSERT_TRUE(truecolour.ReadHeader());
  EXPECT_EQ(truecolour.GetFrameRecord()->palette, nullptr);
  truecolour.SetTarget(&target_);
  ASSERT_EQ(truecolour.ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(*target_.desc->Pixel(0, 0), 7);
  truecolour.SetTarget(nullptr);
}

TEST_F(StillTest, PcxMalformedHeadersAreRefused) {
  std::vector<std::vector<uint8_t>> bad = {
      PcxHeader(9, 1, 8, 1, 4),  // bytes per line fewer than the width needs
      PcxHeader(4, 1, 2, 1, 1),  // a layout rows cannot be turned into indices from
      std::vector<uint8_t>(60, 0x0A),  // shorter than a header
  };
  auto reversed = PcxHeader(4, 1, 8, 1, 4);
  Put16(reversed, 4, 10);  // xmin above xmax
  bad.push_back(reversed);
  for (auto& file : bad) {
    mImagePCX image;
    ASSERT_TRUE(image.OpenMemory(file.data(), static_cast<int32_t>(file.size())));
    EXPECT_FALSE(image.ReadHeader());
  }
  auto reports = TakeReports();
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0], "mImagePCX|File type error");
}

std::vector<uint8_t> MakeDcx(const std::vector<std::vector<uint8_t>>& pages) {
  std::vector<uint8_t> b(4 + 4 * 1024);
  Put32(b, 0, mImageDCX::kMagic);
  for (size_t i = 0; i < pages.size(); ++i) {
    Put32(b, 4 + 4 * i, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), pages[i].begin(), pages[i].end());
  }
  return b;
}

TEST_F(StillTest, DcxPagesAndTheirPalettes) {
  std::vector<std::vector<uint8_t>> pages;
  for (int p = 0; p < 3; ++p) {
    auto page = PcxHeader(2, 1, 8, 1, 2);
    page.insert(page.end(), {0xC2, static_cast<uint8_t>(p + 1)});
    page.push_back(0x0C);
    for (int i = 0; i < 256; ++i) page.insert(page.end(), {static_cast<uint8_t>(p * 50), 0, 0});
    pages.push_back(page);
  }
  auto file = MakeDcx(pages);
  TempFile disk(file, ".dcx");
  mImageDCX image;
  ASSERT_TRUE(image.Open(disk.Path(), 0));
  ASSERT_TRUE(image.ReadHeader());
  EXPECT_EQ(image.GetFileRecord()->frameCount, 3);
  image.SetTarget(&target_);
  for (int p : {2, 0, 1}) {
    EXPECT_EQ(image.SeekFrame(p, 0), p);
    EXPECT_EQ(image.GetFrameRecord()->palette[9].rgbRed, p * 50);
    EXPECT_EQ(image.ReadFrame(0, 0, nullptr), 0);
    EXPECT_EQ(*target_.desc->Pixel(1, 0), p + 1);
  }
  EXPECT_EQ(image.SeekFrame(3, 0), 1);
  EXPECT_EQ(image.GetFileRecord()->frameCount, 3);
  image.SetTarget(nullptr);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(StillTest, DcxPageOffsetPastTheEndIsNotDrawn) {
  auto page = PcxHeader(2, 1, 8, 1, 2);
  page.insert(page.end(), {0xC2, 3});
  auto file = MakeDcx({page, page});
  Put32(file, 8, 0x7FFFFFF0);
  mImageDCX image;
  ASSERT_TRUE(image.OpenMemory(file.data(), static_cast<int32_t>(file.size())));
  ASSERT_TRUE(image.ReadHeader());
  image.SetTarget(&target_);
  EXPECT_EQ(image.SeekFrame(1, 0), 1);
  EXPECT_EQ(image.ReadFrame(0, 0, nullptr), -1);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mImagePCX|File type error"});
  EXPECT_EQ(image.SeekFrame(0, 0), 0);
  EXPECT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  image.SetTarget(nullptr);
}

}  // namespace
