// The chunk decoders of mImageFlic. They parse in place in the file window,
// asking only for the bytes their next step needs, and clip everything they
// write to the frame bitmap and its colour table.
#include <algorithm>
#include <cstring>

#include "byte_order/little_endian.h"
#include "foundation/byte_helpers.h"
#include "media/image_flic.h"

namespace {

// The part of [x, x + n) that lies in a row of width pixels: how many to write.
inline int Visible(int x, int n, int width) {
  if (x >= width) return 0;
  return std::min(n, width - x);
}

}  // namespace

void mImageFlic::DecodeColours(int shift) {
  uint8_t*& p = fileState.readPtr;
  if (!Need(2)) return;
  int packets = ReadLe16(p);
  p += 2;
  RGBQUAD* palette = frameRecord.palette;
  int entry = 0;
  for (int i = 0; i < packets; ++i) {
    if (!Need(2)) break;
    entry += p[0];
    int count = p[1] == 0 ? 256 : p[1];
    p += 2;
    if (!Need(3 * count)) break;
    // Entries past 255 have no place in the table: their colours are passed over.
    int stored = std::max(0, std::min(count, 256 - entry));
    for (int c = 0; c < stored; ++c) {
      const uint8_t* rgb = p + 3 * c;
      RGBQUAD& q = palette[entry + c];
      q.rgbRed = static_cast<BYTE>(rgb[0] << shift);
      q.rgbGreen = static_cast<BYTE>(rgb[1] << shift);
      q.rgbBlue = static_cast<BYTE>(rgb[2] << shift);
      q.rgbReserved = 0;
    }
    entry += count;
    p += 3 * count;
  }
  if (!frameRecord.remap) frameRecord.paletteChanged = 1;
}

void mImageFlic::DecodeDeltaFlc() {
  uint8_t*& p = fileState.readPtr;
  const BitmapDesc& d = *frameBitmap->desc;
  const int width = frameRecord.frameWidth;
  const int height = frameRecord.frameHeight;
  RECT& update = frameRecord.updateRect;
  if (!Need(2)) return;
  int lines = ReadLe16(p);
  p += 2;
  int y = 0;
  for (int line = 0; line < lines;) {
    if (!Need(2)) break;
    int16_t word = static_cast<int16_t>(ReadLe16(p));
    p += 2;
    if ((word & 0xC000) == 0xC000) {
      y += -word;  // rows skipped
      if (y >= height) break;
      continue;
    }
    if ((word & 0xC000) == 0x8000) {
      // The last pixel of an odd-width row, which no word reaches.
      if (y < height) {
        d.row0[static_cast<intptr_t>(y) * d.pitch + width - 1] = static_cast<uint8_t>(word & 0xFF);
        update.left = std::min<LONG>(update.left, width - 1);
        update.right = width;
        update.top = std::min<LONG>(update.top, y);
        update.bottom = std::max<LONG>(update.bottom, y + 1);
      }
      continue;
    }
    if (y >= height) break;  // the rest of the delta lies below the frame
    uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    int packets = word;
    int x = 0;
    for (int k = 0; k < packets; ++k) {
      if (!Need(2)) return;
      x += p[0];
      if (k == 0) update.left = std::min<LONG>(update.left, x);
      int count = static_cast<int8_t>(p[1]);
      p += 2;
      if (count > 0) {
        int bytes = 2 * count;
        if (!Need(bytes)) return;
        int n = Visible(x, bytes, width);
        if (n > 0) std::memcpy(row + x, p, static_cast<size_t>(n));
        p += bytes;
        x += bytes;
      } else if (count < 0) {
        if (!Need(2)) return;
        uint16_t pattern = ReadLe16(p);
        p += 2;
        int bytes = -2 * count;
        int n = Visible(x, bytes, width);
        if (n > 0) {
          FillWords(row + x, pattern, n / 2);
          if (n & 1) row[x + n - 1] = static_cast<uint8_t>(pattern & 0xFF);
        }
        x += bytes;
      }
    }
    if (packets > 0) update.right = std::max<LONG>(update.right, x);
    update.top = std::min<LONG>(update.top, y);
    ++y;
    ++line;
    update.bottom = std::max<LONG>(update.bottom, y);
  }
}

void mImageFlic::DecodeDeltaFli() {
  uint8_t*& p = fileState.readPtr;
  const BitmapDesc& d = *frameBitmap->desc;
  const int width = frameRecord.frameWidth;
  const int height = frameRecord.frameHeight;
  RECT& update = frameRecord.updateRect;
  if (!Need(4)) return;
  int y = static_cast<int16_t>(ReadLe16(p));
  int rows = static_cast<int16_t>(ReadLe16(p + 2));
  p += 4;
  update.top = std::min<LONG>(update.top, y);
  update.bottom = std::max<LONG>(update.bottom, y + rows);
  for (int r = 0; r < rows; ++r, ++y) {
    if (y >= height || !Need(1)) return;  // nothing below the frame can be shown
    int packets = p[0];
    p += 1;
    if (packets > 0 && Need(1)) update.left = std::min<LONG>(update.left, p[0]);
    // Rows above the frame are read but not written.
    uint8_t* row = y >= 0 ? d.row0 + static_cast<intptr_t>(y) * d.pitch : nullptr;
    int x = 0;
    for (int k = 0; k < packets; ++k) {
      if (!Need(2)) return;
      x += p[0];
      int count = static_cast<int8_t>(p[1]);
      p += 2;
      if (count > 0) {
        if (!Need(count)) return;
        int n = row ? Visible(x, count, width) : 0;
        if (n > 0) std::memcpy(row + x, p, static_cast<size_t>(n));
        p += count;
        x += count;
      } else {
        if (!Need(1)) return;
        uint8_t value = p[0];
        p += 1;
        int n = row ? Visible(x, -count, width) : 0;
        if (n > 0) std::memset(row + x, value, static_cast<size_t>(n));
        x += -count;
      }
    }
    update.right = std::max<LONG>(update.right, x);
  }
}

void mImageFlic::DecodeBlack() {
  const BitmapDesc& d = *frameBitmap->desc;
  for (int y = 0; y < frameRecord.frameHeight; ++y)
    FillBytes(d.row0 + static_cast<intptr_t>(y) * d.pitch, 0, static_cast<unsigned long>(frameRecord.frameWidth));
  frameRecord.updateRect = RECT{0, 0, frameRecord.frameWidth, frameRecord.frameHeight};
}

void mImageFlic::DecodeByteRun() {
  uint8_t*& p = fileState.readPtr;
  const BitmapDesc& d = *frameBitmap->desc;
  const int width = frameRecord.frameWidth;
  frameRecord.updateRect = RECT{0, 0, width, frameRecord.frameHeight};
  for (int y = 0; y < frameRecord.frameHeight; ++y) {
    if (!Need(1)) return;
    p += 1;  // the old packet count, not used
    uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    int x = 0;
    while (x < width) {
      if (!Need(2)) return;
      int count = static_cast<int8_t>(p[0]);
      if (count >= 0) {
        // A run past the row's end is cut there.
        int n = Visible(x, count, width);
        if (n > 0) std::memset(row + x, p[1], static_cast<size_t>(n));
        p += 2;
        x += count;
      } else {
        int bytes = -count;
        p += 1;
        if (!Need(bytes)) return;
        int n = Visible(x, bytes, width);
        if (n > 0) std::memcpy(row + x, p, static_cast<size_t>(n));
        p += bytes;
        x += bytes;
      }
    }
  }
}

bool mImageFlic::DecodeLiteral() {
  uint8_t*& p = fileState.readPtr;
  const BitmapDesc& d = *frameBitmap->desc;
  const int width = frameRecord.frameWidth;
  frameRecord.updateRect = RECT{0, 0, width, frameRecord.frameHeight};
  // Rows wider than the window's back area arrive in pieces.
  const int piece = std::min(width, kDefaultBackSize);
  for (int y = 0; y < frameRecord.frameHeight; ++y) {
    uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    for (int x = 0; x < width; x += piece) {
      int n = std::min(piece, width - x);
      if (!Need(n)) return false;
      std::memcpy(row + x, p, static_cast<size_t>(n));
      p += n;
    }
  }
  return true;
}
