// BMP, PCX and DCX readers: strides, colour tables, placement and clipping,
// run-length rules, and malformed headers refused without reading outside a buffer.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "byte_order/little_endian.h"
#include "engine/media/media_test_util.h"
#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_pcx.h"
#include "support/host_fixture.h"

namespace {

using mediatest::TakeReports;
using mediatest::TempFile;

// A BMP whose pixel (x, y) is x + 10 * y (8 bits), rows bottom-up unless topDown.
std::vector<uint8_t> MakeBmp8(int width, int height, bool topDown = false, uint32_t colours = 0) {
  int stride = (width + 3) & ~3;
  int table = colours ? static_cast<int>(colours) : 256;
  std::vector<uint8_t> b(54 + 4 * table + static_cast<size_t>(stride) * height);
  b[0] = 'B';
  b[1] = 'M';
  WriteLe32(&b[10], 54 + 4 * table);
  WriteLe32(&b[14], 40);
  WriteLe32(&b[18], width);
  WriteLe32(&b[22], topDown ? -height : height);
  WriteLe16(&b[26], 1);
  WriteLe16(&b[28], 8);
  WriteLe32(&b[46], colours);
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
  WriteLe16(&b[8], width - 1);
  WriteLe16(&b[10], height - 1);
  for (int i = 0; i < 16; ++i) b[16 + 3 * i] = static_cast<uint8_t>(i * 16);  // red
  b[65] = static_cast<uint8_t>(planes);
  WriteLe16(&b[66], lineBytes);
  return b;
}

std::vector<uint8_t> MakeDcx(const std::vector<std::vector<uint8_t>>& pages) {
  std::vector<uint8_t> b(4 + 4 * 1024);
  WriteLe32(&b[0], mImageDCX::kMagic);
  for (size_t i = 0; i < pages.size(); ++i) {
    WriteLe32(&b[4 + 4 * i], static_cast<uint32_t>(b.size()));
    b.insert(b.end(), pages[i].begin(), pages[i].end());
  }
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
    WriteLe32(&b[10], 54 + (c.bits <= 8 ? 4 << c.bits : 0));
    WriteLe32(&b[14], 40), WriteLe32(&b[18], c.width), WriteLe32(&b[22], 2);
    WriteLe16(&b[26], 1), WriteLe16(&b[28], c.bits);
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
  WriteLe32(&many[10], 54 + 4 * 300);
  mImageBMP big;
  ASSERT_TRUE(big.OpenMemory(many.data(), static_cast<int32_t>(many.size())));
  EXPECT_TRUE(big.ReadHeader());
  EXPECT_EQ(big.GetFrameRecord()->palette[255].rgbRed, 255);
  // "BA", a 12-byte header, an overflowing size and a width of 0 are refused.
  std::vector<std::vector<uint8_t>> bad(4, MakeBmp8(4, 2));
  bad[0][1] = 'A';
  WriteLe32(&bad[1][14], 12);
  WriteLe32(&bad[2][18], 0x7FFFFFFF);
  WriteLe32(&bad[3][18], 0);
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

// A 16-bit BMP of one row of colours (red, green, blue each 0..255), with
// 5-5-5 or 5-6-5 bit fields.
std::vector<uint8_t> MakeBmp16(const std::vector<std::array<int, 3>>& colours, bool sixBitGreen) {
  const int width = static_cast<int>(colours.size());
  const int stride = (2 * width + 3) & ~3;
  std::vector<uint8_t> b(54 + 12 + static_cast<size_t>(stride));
  b[0] = 'B';
  b[1] = 'M';
  WriteLe32(&b[10], 54 + 12);
  WriteLe32(&b[14], 40);
  WriteLe32(&b[18], width);
  WriteLe32(&b[22], 1);
  WriteLe16(&b[26], 1);
  WriteLe16(&b[28], 16);
  WriteLe32(&b[30], mImageBMP::kBitFields);
  WriteLe32(&b[54], sixBitGreen ? 0xF800 : 0x7C00);
  WriteLe32(&b[58], sixBitGreen ? 0x07E0 : 0x03E0);
  WriteLe32(&b[62], 0x001F);
  for (int x = 0; x < width; ++x) {
    const auto& [r, g, bl] = colours[static_cast<size_t>(x)];
    uint32_t v = sixBitGreen ? (r >> 3) << 11 | (g >> 2) << 5 | bl >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | bl >> 3;
    WriteLe16(&b[66 + 2 * static_cast<size_t>(x)], v);
  }
  return b;
}

TEST_F(StillTest, BmpSixBitGreenFieldsShowTheSameColoursAsFiveBitOnes) {
  const std::vector<std::array<int, 3>> colours = {{255, 0, 0},   {0, 255, 0},  {0, 0, 255},   {255, 255, 255},
                                                   {0, 130, 0},   {40, 200, 90}, {128, 64, 32}, {0, 0, 0}};
  RGBQUAD cube[256] = {};
  for (int i = 0; i < 216; ++i)
    cube[i] = RGBQUAD{static_cast<BYTE>(i % 6 * 51), static_cast<BYTE>(i / 6 % 6 * 51), static_cast<BYTE>(i / 36 * 51), 0};
  target_.SetColours(cube, 0, 256);
  std::vector<uint8_t> shown[2];
  for (bool sixBitGreen : {false, true}) {
    auto b = MakeBmp16(colours, sixBitGreen);
    mImageBMP image;
    ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
    ASSERT_TRUE(image.ReadHeader()) << (sixBitGreen ? "5-6-5" : "5-5-5");
    image.SetTarget(&target_);
    ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
    image.SetTarget(nullptr);
    for (size_t x = 0; x < colours.size(); ++x) shown[sixBitGreen].push_back(*target_.desc->Pixel(static_cast<int>(x), 0));
  }
  EXPECT_EQ(shown[1], shown[0]);
  EXPECT_EQ(shown[0][1], 5 * 6) << "pure green is green on the cube";
  // Other fields are still refused.
  auto odd = MakeBmp16(colours, true);
  WriteLe32(&odd[54], 0xF000);
  mImageBMP refused;
  ASSERT_TRUE(refused.OpenMemory(odd.data(), static_cast<int32_t>(odd.size())));
  EXPECT_FALSE(refused.ReadHeader());
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mImageBMP|File type error"});
}

TEST_F(StillTest, BmpRunLengthsSkipAndStopInsideTheirRows) {
  auto b = MakeBmp8(6, 3);
  WriteLe32(&b[30], mImageBMP::kRle8);
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

// Writers leave the header colours of black and white pictures empty: two
// equal colours say nothing; two different ones are the picture's.
TEST_F(StillTest, PcxBlackAndWhiteUnlessTheHeaderGivesTwoColours) {
  struct Case {
    std::array<uint8_t, 6> header;  // entries 0 and 1: red, green, blue
    std::array<uint8_t, 6> shown;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 255, 255, 255}},
      {{255, 255, 255, 255, 255, 255}, {0, 0, 0, 255, 255, 255}},
      {{0, 0, 0, 255, 255, 255}, {0, 0, 0, 255, 255, 255}},
      {{0, 0, 170, 255, 255, 85}, {0, 0, 170, 255, 255, 85}},
  };
  for (const Case& c : cases) {
    auto b = PcxHeader(8, 1, 1, 1, 2);
    std::copy(c.header.begin(), c.header.end(), b.begin() + 16);
    b.insert(b.end(), {0x5A, 0x00});
    mImagePCX image;
    ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
    ASSERT_TRUE(image.ReadHeader());
    const RGBQUAD* p = image.GetFrameRecord()->palette;
    const std::array<uint8_t, 6> got = {p[0].rgbRed, p[0].rgbGreen, p[0].rgbBlue, p[1].rgbRed, p[1].rgbGreen, p[1].rgbBlue};
    EXPECT_EQ(got, c.shown) << "header colours " << int{c.header[0]} << "," << int{c.header[1]} << ","
                            << int{c.header[2]} << " and " << int{c.header[3]} << "," << int{c.header[4]} << ","
                            << int{c.header[5]};
  }
}

TEST_F(StillTest, PcxTwoBitPicturesUseTheFirstFourHeaderColours) {
  // 6 pixels 0, 1, 2, 3, 3, 2 in two bytes; 0xE0 is coded as a run of one.
  auto b = PcxHeader(6, 1, 2, 1, 2);
  b.insert(b.end(), {0x1B, 0xC1, 0xE0});
  mImagePCX image;
  ASSERT_TRUE(image.OpenMemory(b.data(), static_cast<int32_t>(b.size())));
  ASSERT_TRUE(image.ReadHeader());
  EXPECT_EQ(image.GetFrameRecord()->palette[3].rgbRed, 48);
  std::memset(target_.desc->bits, 0xEE, static_cast<size_t>(target_.desc->stride) * 30);
  image.SetTarget(&target_);
  ASSERT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  image.SetTarget(nullptr);
  const uint8_t want[] = {0, 1, 2, 3, 3, 2, 0xEE};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(*target_.desc->Pixel(x, 0), want[x]) << "pixel " << x;
  EXPECT_TRUE(TakeReports().empty());
}

// A file that ends before its picture (or its colours) does: the rows it
// holds are drawn, and the read fails with "File read error".
TEST_F(StillTest, TruncatedPicturesAreReportedAndFail) {
  auto rle = MakeBmp8(6, 3);
  WriteLe32(&rle[30], mImageBMP::kRle8);
  rle.resize(54 + 1024);
  rle.insert(rle.end(), {6, 5, 0, 0, 6, 7, 0, 0, 6, 8, 0, 1});  // rows of 5, 7, 8 bottom-up
  auto pcx = PcxHeader(4, 3, 8, 1, 4);
  pcx.insert(pcx.end(), {0xC4, 5, 0xC4, 7, 0xC4, 8});
  pcx.push_back(0x0C);
  for (int i = 0; i < 256; ++i) pcx.insert(pcx.end(), {static_cast<uint8_t>(i), 0, 0});
  auto page = PcxHeader(4, 3, 8, 1, 4);
  page.insert(page.end(), {0xC4, 5, 0xC4, 7, 0xC4, 8});
  auto dcx = MakeDcx({page, page});
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    size_t cut;           // bytes taken away at the end
    uint8_t top, bottom;  // what the first column shows in the top and the bottom row
    const char* kind;     // reader
    bool whole;           // nothing the picture needs is missing
  };
  const Case cases[] = {
      {"whole BMP", MakeBmp8(6, 3), 0, 0, 20, "bmp", true},
      {"BMP without its top row", MakeBmp8(6, 3), 8, 0xEE, 20, "bmp", false},
      {"whole run-length BMP", rle, 0, 8, 5, "bmp", true},
      {"run-length BMP without its end code", rle, 2, 8, 5, "bmp", true},
      {"run-length BMP cut in its top row", rle, 5, 0, 5, "bmp", false},
      {"whole PCX", pcx, 0, 5, 8, "pcx", true},
      {"PCX cut in its colours", pcx, 100, 5, 8, "pcx", false},
      {"PCX cut in its last row", pcx, 770, 5, 0xEE, "pcx", false},
      {"whole DCX", dcx, 0, 5, 8, "dcx", true},
      {"DCX cut in its last page", dcx, 3, 5, 0xEE, "dcx", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes(c.file.begin(), c.file.end() - static_cast<long>(c.cut));
    TempFile disk(bytes, ".pic");
    std::unique_ptr<mImageFile> image;
    if (std::string(c.kind) == "bmp") image = std::make_unique<mImageBMP>();
    else if (std::string(c.kind) == "pcx") image = std::make_unique<mImagePCX>();
    else image = std::make_unique<mImageDCX>();
    ASSERT_TRUE(image->Open(disk.Path(), 0));
    ASSERT_TRUE(image->ReadHeader());
    const int page = std::string(c.kind) == "dcx" ? 1 : 0;
    if (page) {
      ASSERT_EQ(image->SeekFrame(page, 0), page);
    }
    std::memset(target_.desc->bits, 0xEE, static_cast<size_t>(target_.desc->stride) * 30);
    image->SetTarget(&target_);
    const bool whole = c.whole;
    EXPECT_EQ(image->ReadFrame(0, 0, nullptr), whole ? 0 : -1);
    image->SetTarget(nullptr);
    EXPECT_EQ(*target_.desc->Pixel(0, 0), c.top);
    EXPECT_EQ(*target_.desc->Pixel(0, 2), c.bottom);
    const std::string caption = std::string(c.kind) == "bmp" ? "mImageBMP" : "mImagePCX";
    EXPECT_EQ(TakeReports(), whole ? std::vector<std::string>{}
                                   : std::vector<std::string>{caption + "|File read error:" + disk.Path()});
    image->Close();
  }
}

TEST_F(StillTest, PcxMalformedHeadersAreRefused) {
  std::vector<std::vector<uint8_t>> bad = {
      PcxHeader(9, 1, 8, 1, 4),  // bytes per line fewer than the width needs
      PcxHeader(4, 1, 4, 2, 2),  // a layout rows cannot be turned into indices from
      std::vector<uint8_t>(60, 0x0A),  // shorter than a header
  };
  auto reversed = PcxHeader(4, 1, 8, 1, 4);
  WriteLe16(&reversed[4], 10);  // xmin above xmax
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
  WriteLe32(&file[8], 0x7FFFFFF0);
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
