#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "byte_order/little_endian.h"
#include "flc_writer.h"
#include "ico_writer.h"
#include "palette_layout.h"

namespace picture_maker {
namespace {

uint16_t U16(const std::vector<uint8_t>& bytes, size_t at) { return ReadLe16(&bytes[at]); }
uint32_t U32(const std::vector<uint8_t>& bytes, size_t at) { return ReadLe32(&bytes[at]); }

// Decodes one BYTE_RUN row as a FLIC reader does, insisting that no packet crosses the row's end.
std::vector<uint8_t> DecodeRow(const std::vector<uint8_t>& coded, size_t& at, int width) {
  std::vector<uint8_t> row;
  ++at;  // old packet count
  while (static_cast<int>(row.size()) < width) {
    auto count = static_cast<int8_t>(coded.at(at++));
    if (count >= 0) {
      row.insert(row.end(), count, coded.at(at++));
    } else {
      for (int i = 0; i < -count; ++i) row.push_back(coded.at(at++));
    }
    EXPECT_LE(static_cast<int>(row.size()), width);
  }
  return row;
}

TEST(FlcWriterTest, StillPictureHasColoursByteRunAndEmptyRingFrame) {
  IndexedPicture picture{5, 3, {0, 0, 10, 11, 12, 13, 13, 13, 13, 13, 0, 200, 0, 200, 0}};
  ColourTable colours{};
  for (int i = 0; i < 256; ++i) colours[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7};
  std::vector<uint8_t> file = WriteStillFlc(picture, colours);

  EXPECT_EQ(U32(file, 0), file.size());
  EXPECT_EQ(U16(file, 4), 0xAF12);
  EXPECT_EQ(U16(file, 6), 1);  // frames
  EXPECT_EQ(U16(file, 8), 5);
  EXPECT_EQ(U16(file, 10), 3);
  EXPECT_EQ(U16(file, 12), 8);
  ASSERT_EQ(U32(file, 80), 128u);

  size_t frame = 128;
  EXPECT_EQ(U16(file, frame + 4), 0xF1FA);
  ASSERT_EQ(U16(file, frame + 6), 2);
  size_t chunk = frame + 16;
  EXPECT_EQ(U16(file, chunk + 4), 4);  // COLOR_256
  EXPECT_EQ(U16(file, chunk + 6), 1);  // one packet
  EXPECT_EQ(file[chunk + 8], 0);       // skip 0
  EXPECT_EQ(file[chunk + 9], 0);       // 256 colours
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(file[chunk + 10 + 3 * i], colours[i].red);
    EXPECT_EQ(file[chunk + 11 + 3 * i], colours[i].green);
  }
  chunk += U32(file, chunk);
  EXPECT_EQ(U16(file, chunk + 4), 15);  // BYTE_RUN
  EXPECT_EQ(U32(file, chunk) % 2, 0u);
  size_t at = chunk + 6;
  std::vector<uint8_t> decoded;
  for (int y = 0; y < 3; ++y) {
    auto row = DecodeRow(file, at, 5);
    decoded.insert(decoded.end(), row.begin(), row.end());
  }
  EXPECT_EQ(decoded, picture.pixels);
  EXPECT_EQ(chunk + U32(file, chunk), frame + U32(file, frame));

  size_t ring = frame + U32(file, frame);
  EXPECT_EQ(U32(file, 84), ring);
  EXPECT_EQ(U32(file, ring), 16u);
  EXPECT_EQ(U16(file, ring + 4), 0xF1FA);
  EXPECT_EQ(U16(file, ring + 6), 0);
  EXPECT_EQ(ring + 16, file.size());
}

TEST(PaletteLayoutTest, SubjectColoursStayBetweenTheStaticColours) {
  std::vector<Rgb> subject(kSubjectColourCount, Rgb{1, 2, 3});
  ColourTable table = StageColourTable(subject);
  EXPECT_EQ(table[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(table[7], (Rgb{192, 192, 192}));
  EXPECT_EQ(table[9], (Rgb{166, 202, 240}));
  EXPECT_EQ(table[10], (Rgb{1, 2, 3}));
  EXPECT_EQ(table[244], (Rgb{1, 2, 3}));
  EXPECT_EQ(table[245], (Rgb{0, 0, 0}));
  EXPECT_EQ(table[255], (Rgb{255, 255, 255}));

  IndexedPicture placed = PlaceIndices({4, 1, {-1, 0, 234, 235}});
  EXPECT_EQ(placed.pixels, (std::vector<uint8_t>{0, 10, 244, 0}));
}

TEST(IcoWriterTest, ImagesAreBottomUpWithMask) {
  IconImage image{{16, 16, std::vector<uint8_t>(256, 20)}, {}, std::vector<bool>(256, false)};
  image.picture.pixels[0] = 0;  // top-left pixel
  image.transparent[0] = true;
  std::vector<uint8_t> file = WriteIcon({image});
  EXPECT_EQ(U16(file, 2), 1);
  ASSERT_EQ(U16(file, 4), 1);
  EXPECT_EQ(file[6], 16);
  EXPECT_EQ(U16(file, 6 + 6), 8);  // bits per pixel
  size_t size = U32(file, 6 + 8), offset = U32(file, 6 + 12);
  ASSERT_EQ(offset + size, file.size());
  EXPECT_EQ(U32(file, offset + 8), 32u);  // twice the height
  size_t colourBits = offset + 40 + 256 * 4;
  size_t topRow = colourBits + 15 * 16;
  EXPECT_EQ(file[topRow], 0);
  EXPECT_EQ(file[topRow + 1], 20);
  size_t mask = colourBits + 256;
  EXPECT_EQ(file[mask + 15 * 4], 0x80);  // top row, first pixel
  EXPECT_EQ(file[mask], 0);
  EXPECT_EQ(mask + 16 * 4, file.size());
}

}  // namespace
}  // namespace picture_maker
