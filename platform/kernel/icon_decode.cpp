// Icon images from resources: the BMP-in-ICO form and PNG, and the choice
// of the image to use from a group-icon directory.
#include <png.h>

#include <cstdlib>
#include <cstring>

#include "byte_order/little_endian.h"

#include "kernel/icons.h"

namespace plat {
namespace {

constexpr int kMaxIconSide = 256;


bool DecodePng(const uint8_t* data, size_t size, IconImage* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  if (image.width == 0 || image.height == 0 || image.width > kMaxIconSide || image.height > kMaxIconSide) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB
  std::vector<uint32_t> pixels(size_t{image.width} * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->argb = std::move(pixels);
  return true;
}

}  // namespace

bool DecodeIconImage(const uint8_t* data, size_t size, IconImage* out) {
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!data) return false;
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return DecodePng(data, size, out);
  if (size < 40) return false;
  uint32_t headerSize = ReadLe32(data);
  int32_t width = static_cast<int32_t>(ReadLe32(data + 4));
  int32_t doubledHeight = static_cast<int32_t>(ReadLe32(data + 8));
  unsigned bits = ReadLe16(data + 14);
  uint32_t compression = ReadLe32(data + 16);
  uint32_t coloursUsed = ReadLe32(data + 32);
  if (headerSize < 40 || headerSize > size || compression != 0) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  int height = doubledHeight / 2;
  if (width <= 0 || width > kMaxIconSide || height <= 0 || height > kMaxIconSide) return false;

  size_t paletteCount =
      bits <= 8 ? (coloursUsed && coloursUsed < (1u << bits) ? coloursUsed : 1u << bits) : 0;
  size_t colourStride = (size_t{static_cast<size_t>(width)} * bits + 31) / 32 * 4;
  size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;
  size_t paletteAt = headerSize;
  size_t colourAt = paletteAt + paletteCount * 4;
  size_t maskAt = colourAt + colourStride * height;
  if (colourAt > size || maskAt > size) return false;
  // 32-bit images carry their own alpha; some leave the mask out.
  bool hasMask = maskAt + maskStride * height <= size;
  if (!hasMask && bits != 32) return false;

  const uint8_t* palette = data + paletteAt;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = data + colourAt + colourStride * (height - 1 - y);  // bottom-up
    uint32_t* target = &pixels[static_cast<size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      uint32_t argb;
      if (bits <= 8) {
        unsigned bitIndex = static_cast<unsigned>(x) * bits;
        unsigned value = (row[bitIndex / 8] >> (8 - bits - bitIndex % 8)) & ((1u << bits) - 1);
        const uint8_t* entry = value < paletteCount ? palette + value * 4 : nullptr;
        argb = entry ? 0xFF000000u | entry[2] << 16 | entry[1] << 8 | entry[0] : 0xFF000000u;
      } else if (bits == 24) {
        const uint8_t* p = row + x * 3;
        argb = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
      } else {
        argb = ReadLe32(row + x * 4);
        if (argb >> 24) anyAlpha = true;
      }
      target[x] = argb;
    }
  }
  if (bits == 32 && !anyAlpha)
    for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
  if (hasMask && !(bits == 32 && anyAlpha)) {
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = data + maskAt + maskStride * (height - 1 - y);
      for (int x = 0; x < width; ++x)
        if (row[x / 8] & (0x80 >> (x % 8))) pixels[static_cast<size_t>(y) * width + x] = 0;
    }
  }
  out->width = width;
  out->height = height;
  out->argb = std::move(pixels);
  return true;
}

// GRPICONDIR: reserved, type 1, count; then 14-byte entries: width, height
// (0 means 256), colour count, reserved, planes, bit count, bytes, id.
int ChooseGroupIconImage(const uint8_t* directory, size_t size, int width, int height) {
  if (!directory || size < 6 || ReadLe16(directory + 2) != 1) return -1;
  size_t count = ReadLe16(directory + 4);
  if (count > (size - 6) / 14) count = (size - 6) / 14;
  int best = -1;
  long bestDistance = 0;
  int bestBits = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = directory + 6 + i * 14;
    int w = entry[0] ? entry[0] : 256;
    int h = entry[1] ? entry[1] : 256;
    int bits = ReadLe16(entry + 6);
    if (bits == 0) bits = entry[2] ? (entry[2] <= 2 ? 1 : entry[2] <= 16 ? 4 : 8) : 8;
    long distance = std::labs(static_cast<long>(w) - width) + std::labs(static_cast<long>(h) - height);
    if (best < 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      best = ReadLe16(entry + 12);
      bestDistance = distance;
      bestBits = bits;
    }
  }
  return best;
}

}  // namespace plat
