#include "media/image_file.h"

#include <cstdlib>
#include <cstring>

#include "byte_order/little_endian.h"

namespace {

// The target (normally the stage) belongs to whoever made it; an image only
// counts itself among its users and never deletes it, or the stage would go
// with the last picture that leaves it.
void LetGoOfTarget(mBitmap* target) { --target->refCount; }

}  // namespace

mImageFile::mImageFile() {
  std::memset(&fileRecord, 0, sizeof fileRecord);
  std::memset(&frameRecord, 0, sizeof frameRecord);
  frameRecord.currentFrame = -1;
}

mImageFile::~mImageFile() {
  FreeConversion();
  if (target) {
    mBitmap* old = target;
    target = nullptr;
    targetDesc = nullptr;
    LetGoOfTarget(old);
  }
}

BOOL mImageFile::SetTarget(mBitmap* bitmap) {
  if (bitmap) AddRef(bitmap);  // first, in case the new target is the old one
  mBitmap* old = target;
  target = bitmap;
  targetDesc = bitmap ? bitmap->desc : nullptr;
  if (old) LetGoOfTarget(old);
  return TRUE;
}

BOOL mImageFile::SetAutoAdvance(BOOL flag) {
  frameRecord.autoAdvance = flag;
  return flag;
}

BOOL mImageFile::SetTransparent(BOOL flag) {
  frameRecord.transparent = flag;
  return flag;
}

uint32_t mImageFile::SetTransparentColour(uint32_t index) {
  frameRecord.transparent = 1;
  frameRecord.transparentColour = static_cast<int32_t>(index);
  return index;
}

BOOL mImageFile::SetRemap(BOOL flag) {
  frameRecord.remap = flag;
  return flag;
}

mBitmap* mImageFile::MakeBitmap(BOOL useOwnDepth) {
  if (fileRecord.formatTag == 0 && !ReadHeader()) return nullptr;
  auto* bitmap = new mBitmap;
  int bits = useOwnDepth ? frameRecord.depth : 8;
  if (!bitmap->Create(frameRecord.frameWidth, frameRecord.frameHeight, bits)) {
    delete bitmap;
    return nullptr;
  }
  bitmap->SetColours(frameRecord.palette, 0, 256);
  mBitmap* remembered = target;
  SetTarget(bitmap);
  ReadFrame(0, 0, nullptr);
  bitmap->SetTransparentColour(*bitmap->desc->row0);
  SetTarget(remembered);  // the new bitmap's count is back to 0: the caller owns it
  return bitmap;
}

void mImageFile::FreeConversion() {
  std::free(conversion);
  conversion = nullptr;
}

void mImageFile::BuildConversion() {
  FreeConversion();
  if (!targetDesc) return;
  int sourceBits = frameRecord.depth * frameRecord.planes;
  int targetBits = targetDesc->bitsPerPixel * targetDesc->planes;
  if (sourceBits <= 8 && targetBits > 8) {
    if (!frameRecord.palette) return;
    auto* table = static_cast<uint16_t*>(std::malloc(256 * sizeof(uint16_t)));
    if (!table) return;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& c = frameRecord.palette[i];
      table[i] = static_cast<uint16_t>(((c.rgbRed & 0xF8) << 8) | ((c.rgbGreen & 0xFC) << 3) | (c.rgbBlue >> 3));
    }
    conversion = table;
  } else if (sourceBits > 8 && targetBits <= 8) {
    auto* table = static_cast<uint8_t*>(std::malloc(4096));
    if (!table) return;
    for (int i = 0; i < 4096; ++i) {
      RGBQUAD c{};
      c.rgbRed = static_cast<BYTE>(((i >> 8) & 15) * 16);
      c.rgbGreen = static_cast<BYTE>(((i >> 4) & 15) * 16);
      c.rgbBlue = static_cast<BYTE>((i & 15) * 16);
      int nearest = target->NearestColour(c);
      table[i] = static_cast<uint8_t>(nearest < 0 ? 0 : nearest);
    }
    conversion = table;
  }
}

void mImageFile::ConvertRow(const uint8_t* source, uint8_t* destination, int count, int planeStride) {
  const auto* table = static_cast<const uint8_t*>(conversion);
  switch (frameRecord.depth) {
    case 1:
      for (int i = 0; i < count; ++i) {
        uint8_t value = 0;
        int shift = 7 - (i & 7);
        for (int k = 0; k < frameRecord.planes && k < 8; ++k)
          value |= static_cast<uint8_t>(((source[k * planeStride + i / 8] >> shift) & 1) << k);
        destination[i] = value;
      }
      break;
    case 2:
      // Four pixels a byte, the first in the top bits (CGA pictures).
      for (int i = 0; i < count; ++i) destination[i] = (source[i / 4] >> (6 - 2 * (i & 3))) & 3;
      break;
    case 4:
      for (int i = 0; i < count; ++i) destination[i] = (i & 1) ? (source[i / 2] & 15) : (source[i / 2] >> 4);
      break;
    case 8:
      if (frameRecord.planes == 3) {
        if (!table) return;
        for (int i = 0; i < count; ++i) {
          int index = ((source[i] & 0xF0) << 4) | (source[planeStride + i] & 0xF0) | (source[2 * planeStride + i] >> 4);
          destination[i] = table[index];
        }
      } else {
        std::memcpy(destination, source, static_cast<size_t>(count > 0 ? count : 0));
      }
      break;
    case 16:
      // Five bits each of red, green and blue: the top four of each index the table.
      if (!table) return;
      for (int i = 0; i < count; ++i) {
        unsigned value = ReadLe16(source + 2 * i);
        destination[i] = table[(((value >> 11) & 15) << 8) | (((value >> 6) & 15) << 4) | ((value >> 1) & 15)];
      }
      break;
    case 24:
      // Blue, green, red.
      if (!table) return;
      for (int i = 0; i < count; ++i) {
        const uint8_t* p = source + 3 * i;
        destination[i] = table[((p[2] & 0xF0) << 4) | (p[1] & 0xF0) | (p[0] >> 4)];
      }
      break;
    case 32:
      // Blue, green, red and an unused byte.
      if (!table) return;
      for (int i = 0; i < count; ++i) {
        const uint8_t* p = source + 4 * i;
        destination[i] = table[((p[2] & 0xF0) << 4) | (p[1] & 0xF0) | (p[0] >> 4)];
      }
      break;
    default:
      break;
  }
}
