// Colour tables: the built-in colours, storing, nearest colour, re-indexing
// and the RIFF palette resource format.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "byte_order/little_endian.h"
#include "stage/bitmap.h"
#include "stage/default_colours.h"
#include "stage/palette_resource.h"

namespace {

TEST(BuiltInColours, FixedRowsAndAllDistinct) {
  const ColourRow* rows = BuiltInColourTable();
  auto rgb = [&](int i) { return std::make_tuple(int{rows[i].red}, int{rows[i].green}, int{rows[i].blue}); };
  EXPECT_EQ(std::make_tuple(191, 0, 0), rgb(1));
  EXPECT_EQ(std::make_tuple(164, 200, 240), rgb(9));
  EXPECT_EQ(std::make_tuple(255, 251, 240), rgb(246));
  EXPECT_EQ(std::make_tuple(255, 255, 255), rgb(255));
  EXPECT_EQ(std::make_tuple(2, 2, 2), rgb(10));
  EXPECT_EQ(std::make_tuple(25, 25, 25), rgb(11));
  EXPECT_EQ(std::make_tuple(71, 2, 25), rgb(12));
  EXPECT_EQ(std::make_tuple(0, 81, 0), rgb(14));
  EXPECT_EQ(std::make_tuple(106, 106, 106), rgb(77));
  EXPECT_EQ(std::make_tuple(140, 140, 140), rgb(127));
  EXPECT_EQ(std::make_tuple(200, 200, 200), rgb(212));
  EXPECT_EQ(std::make_tuple(248, 248, 248), rgb(230));
  for (int i = 231; i <= 245; ++i) EXPECT_EQ(std::make_tuple(0, 0, i - 230), rgb(i));

  std::set<std::tuple<int, int, int>> seen;
  int greys = 0;
  for (int i = 0; i < 256; ++i) {
    EXPECT_TRUE(seen.insert(rgb(i)).second) << "row " << i << " repeats an earlier row";
    if (i >= 10 && i <= 230 && rows[i].red == rows[i].green && rows[i].green == rows[i].blue) ++greys;
  }
  EXPECT_GE(greys, 12) << "a grey ramp among rows 10 to 230";
}

TEST(BuiltInColours, NewBitmapsStartWithThem) {
  mBitmap bitmap(3, 2, 8);
  ASSERT_NE(nullptr, bitmap.desc->colours);
  EXPECT_EQ(71, bitmap.desc->colours[12].rgbRed);
  EXPECT_EQ(25, bitmap.desc->colours[12].rgbBlue);
  EXPECT_EQ(0, bitmap.desc->colours[12].rgbReserved);
}

// Leaves a stack frame full of 0xEE where the next call will have its own.
__attribute__((noinline)) void DirtyTheStack() {
  volatile uint8_t junk[16384];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xEE;
}

TEST(BuiltInColours, AShortDefaultPaletteLeavesTheRestOfANewTableZero) {
  // The test program's resources hold a "default" palette of three colours.
  g_resourceModule = GetModuleHandleA(nullptr);
  DirtyTheStack();
  mBitmap bitmap(3, 2, 8);
  g_resourceModule = nullptr;
  ASSERT_NE(nullptr, bitmap.desc->colours);
  const RGBQUAD* c = bitmap.desc->colours;
  EXPECT_EQ(std::make_tuple(10, 20, 30), std::make_tuple(int{c[0].rgbRed}, int{c[0].rgbGreen}, int{c[0].rgbBlue}));
  EXPECT_EQ(std::make_tuple(70, 80, 90), std::make_tuple(int{c[2].rgbRed}, int{c[2].rgbGreen}, int{c[2].rgbBlue}));
  for (int i = 3; i < 256; ++i) {
    const RGBQUAD& e = c[i];
    EXPECT_TRUE(e.rgbRed == 0 && e.rgbGreen == 0 && e.rgbBlue == 0 && e.rgbReserved == 0) << "entry " << i;
  }
}

TEST(SetColours, ClipsTheRangeAndAlwaysRaisesTheVersion) {
  mBitmap bitmap(2, 2, 8);
  std::vector<RGBQUAD> given(10, RGBQUAD{1, 2, 3, 0});
  const RGBQUAD before249 = bitmap.desc->colours[249];
  const int version = bitmap.desc->paletteVersion;
  bitmap.SetColours(given.data(), 250, 10);
  EXPECT_EQ(0, std::memcmp(&given[0], &bitmap.desc->colours[250], 6 * sizeof(RGBQUAD)));
  EXPECT_EQ(0, std::memcmp(&before249, &bitmap.desc->colours[249], sizeof(RGBQUAD)));
  bitmap.SetColours(given.data(), 5, 0);
  EXPECT_EQ(version + 2, bitmap.desc->paletteVersion);
  bitmap.SetColours(given.data(), 256, 1);
  EXPECT_EQ(version + 2, bitmap.desc->paletteVersion) << "a first index past the table does nothing";
  bitmap.SetColours(given.data(), -8, 10);  // only the last two land, at 0 and 1
  EXPECT_EQ(1, bitmap.desc->colours[1].rgbBlue);
  EXPECT_EQ(191, bitmap.desc->colours[2].rgbGreen) << "entry 2 keeps its default colour";
}

TEST(NearestColour, LowestIndexWinsTiesAndNearMatchesEndTheSearch) {
  mBitmap bitmap(1, 1, 8);
  std::vector<RGBQUAD> table(256, RGBQUAD{200, 200, 200, 0});
  table[3] = RGBQUAD{0, 0, 10, 0};  // red 10
  table[7] = RGBQUAD{0, 0, 30, 0};  // red 30
  table[9] = RGBQUAD{50, 50, 50, 0};
  table[40] = RGBQUAD{51, 50, 50, 0};
  bitmap.SetColours(table.data(), 0, 256);
  EXPECT_EQ(3, bitmap.NearestColour(RGBQUAD{0, 0, 20, 0}));
  EXPECT_EQ(9, bitmap.NearestColour(RGBQUAD{51, 50, 50, 0})) << "one unit away from 9 returns before 40";
  EXPECT_EQ(40, bitmap.NearestColour(RGBQUAD{53, 50, 50, 0}));
}

TEST(SetColoursRemap, SwappingTwoColoursKeepsThePicture) {
  mBitmap bitmap(5, 3, 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) *bitmap.desc->Pixel(x, y) = static_cast<uint8_t>((x + y) % 2 ? 20 : 30);
  bitmap.SetTransparentColour(20);
  const RGBQUAD c20 = bitmap.desc->colours[20], c30 = bitmap.desc->colours[30];
  RGBQUAD swapped[11];
  std::memcpy(swapped, bitmap.desc->colours + 20, sizeof swapped);
  swapped[0] = c30;
  swapped[10] = c20;
  bitmap.SetColoursRemap(swapped, 20, 11);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ((x + y) % 2 ? 30 : 20, *bitmap.desc->Pixel(x, y)) << "pixel (" << x << ", " << y << ")";
  EXPECT_EQ(30u, bitmap.desc->transparentIndex) << "the transparent index follows its colour";
}

std::vector<uint8_t> RiffPalette(int count, int entriesPresent) {
  const uint32_t dataSize = 4 + 4 * static_cast<uint32_t>(entriesPresent);
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'J',
                            'U', 'N', 'K', 2,   0, 0, 0, 9, 9,   'd', 'a', 't', 'a'};
  b.resize(b.size() + 8);
  WriteLe32(&b[b.size() - 8], dataSize);
  WriteLe16(&b[b.size() - 4], 0x300);  // palette version
  WriteLe16(&b[b.size() - 2], static_cast<uint16_t>(count));
  // red i, green 2, blue 3, flags 4
  for (int i = 0; i < entriesPresent; ++i) b.insert(b.end(), {static_cast<uint8_t>(i), 2, 3, 4});
  const uint32_t riffSize = static_cast<uint32_t>(b.size() - 8);
  WriteLe32(&b[4], riffSize);
  return b;
}

TEST(RiffPalette, ReadsEntriesAsBlueGreenRed) {
  RGBQUAD table[256];
  std::memset(table, 0xEE, sizeof table);
  const std::vector<uint8_t> bytes = RiffPalette(3, 3);
  EXPECT_EQ(3, ReadRiffPalette(bytes.data(), bytes.size(), table));
  EXPECT_EQ(2, table[2].rgbRed);
  EXPECT_EQ(3, table[2].rgbBlue);
  EXPECT_EQ(0, table[2].rgbReserved);
  EXPECT_EQ(0xEE, table[3].rgbRed) << "the rest of the table is left alone";
}

TEST(RiffPalette, MalformedFormsAreRefusedWithoutReadingPastThem) {
  RGBQUAD table[256];
  std::vector<uint8_t> bytes = RiffPalette(300, 300);
  EXPECT_EQ(256, ReadRiffPalette(bytes.data(), bytes.size(), table)) << "at most 256 entries";
  bytes = RiffPalette(5, 3);
  EXPECT_EQ(-1, ReadRiffPalette(bytes.data(), bytes.size(), table)) << "count beyond the chunk";
  bytes = RiffPalette(3, 3);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<uint8_t> shortCopy(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    EXPECT_EQ(-1, ReadRiffPalette(shortCopy.data(), shortCopy.size(), table)) << "cut at " << cut;
  }
  bytes[8] = 'X';
  EXPECT_EQ(-1, ReadRiffPalette(bytes.data(), bytes.size(), table)) << "not a PAL form";
}

}  // namespace
