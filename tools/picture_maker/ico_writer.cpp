#include "ico_writer.h"

#include "byte_order/byte_sink.h"

namespace picture_maker {
namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kInfoHeaderSize = 40;

size_t RowBytes(int width, int bitsPerPixel) { return ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4; }

std::vector<uint8_t> IconBitmap(const IconImage& image) {
  const IndexedPicture& picture = image.picture;
  size_t colourRow = RowBytes(picture.width, 8);
  size_t maskRow = RowBytes(picture.width, 1);
  ByteSink out;
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<uint32_t>(picture.width));
  out.U32(static_cast<uint32_t>(picture.height * 2));  // colour bitmap and mask together
  out.U16(1);                                          // planes
  out.U16(8);                                          // bits per pixel
  out.U32(0);                                          // no compression
  out.U32(static_cast<uint32_t>((colourRow + maskRow) * picture.height));
  out.Zeros(16);  // resolution, colours used and important: all of them
  for (const Rgb& colour : image.colours) {
    out.U8(colour.blue);
    out.U8(colour.green);
    out.U8(colour.red);
    out.U8(0);
  }
  // Both bitmaps are stored bottom row first.
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) out.U8(picture.At(x, y));
    out.Zeros(colourRow - picture.width);
  }
  for (int y = picture.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskRow, 0);
    for (int x = 0; x < picture.width; ++x) {
      if (image.transparent[static_cast<size_t>(y) * picture.width + x]) {
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    out.Bytes(row);
  }
  return out.Take();
}

}  // namespace

std::vector<uint8_t> WriteIcon(const std::vector<IconImage>& images) {
  std::vector<std::vector<uint8_t>> bitmaps;
  for (const IconImage& image : images) bitmaps.push_back(IconBitmap(image));

  ByteSink out;
  out.U16(0);  // reserved
  out.U16(1);  // icon resource
  out.U16(static_cast<uint16_t>(images.size()));
  size_t offset = kDirectorySize + kEntrySize * images.size();
  for (size_t i = 0; i < images.size(); ++i) {
    const IndexedPicture& picture = images[i].picture;
    out.U8(static_cast<uint8_t>(picture.width));  // 256 would be stored as 0
    out.U8(static_cast<uint8_t>(picture.height));
    out.U8(0);  // 0: 256 colours
    out.U8(0);
    out.U16(1);
    out.U16(8);
    out.U32(static_cast<uint32_t>(bitmaps[i].size()));
    out.U32(static_cast<uint32_t>(offset));
    offset += bitmaps[i].size();
  }
  for (const auto& bitmap : bitmaps) out.Bytes(bitmap);
  return out.Take();
}

}  // namespace picture_maker
