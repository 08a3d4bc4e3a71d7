#include "media/image_bmp.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "byte_order/little_endian.h"

namespace {

constexpr uint16_t kBitmapType = 0x4D42;  // "BM"
constexpr int32_t kFileHeaderSize = 14;
constexpr int32_t kInfoHeaderSize = 40;
// Pictures beyond these are refused rather than attempted.
constexpr int64_t kMaxWidth = 1 << 20;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

bool IsKnownDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Bit fields: 5-5-5 and 8-8-8 say no more than plain rows do; 5-6-5 gives
// green a sixth bit.
enum class Fields { kPlain, k565, kUnknown };
Fields BitFields(int bits, const uint8_t* masks) {
  uint32_t red = ReadLe32(masks), green = ReadLe32(masks + 4), blue = ReadLe32(masks + 8);
  if (bits == 16 && red == 0x7C00 && green == 0x03E0 && blue == 0x001F) return Fields::kPlain;
  if (bits == 16 && red == 0xF800 && green == 0x07E0 && blue == 0x001F) return Fields::k565;
  if (bits == 32 && red == 0xFF0000 && green == 0x00FF00 && blue == 0x0000FF) return Fields::kPlain;
  return Fields::kUnknown;
}

// 5-6-5 pixels as 5-5-5 ones, in place: green loses its lowest bit.
void To555(uint8_t* row, int pixels) {
  for (int i = 0; i < pixels; ++i) {
    const unsigned v = ReadLe16(row + 2 * i);
    WriteLe16(row + 2 * i, static_cast<uint16_t>(((v >> 1) & 0x7FE0) | (v & 0x1F)));
  }
}

}  // namespace

mImageBMP::mImageBMP() = default;

mImageBMP::~mImageBMP() {
  if (fileState.isOpen) Close();
  if (paletteMemory) {
    if (frameRecord.palette == colours_) frameRecord.palette = nullptr;
    GlobalUnlock(paletteMemory);
    GlobalFree(paletteMemory);
    paletteMemory = nullptr;
    colours_ = nullptr;
  }
}

bool mImageBMP::RefuseHeader(uint32_t error) {
  fileRecord.formatTag = 0;
  ReportError(kClassImageBMP, error, nullptr);
  return false;
}

BOOL mImageBMP::ReadHeader() {
  int32_t start = Tell();
  uint8_t fileHeader[kFileHeaderSize] = {};
  uint8_t info[kInfoHeaderSize] = {};
  if (Read(fileHeader, kFileHeaderSize) != kFileHeaderSize || ReadLe16(fileHeader) != kBitmapType)
    return RefuseHeader(kErrFileType);
  if (Read(info, 4) != 4 || ReadLe32(info) != kInfoHeaderSize || Read(info + 4, kInfoHeaderSize - 4) != kInfoHeaderSize - 4)
    return RefuseHeader(kErrFileType);

  int64_t width = static_cast<int32_t>(ReadLe32(info + 4));
  int64_t height = static_cast<int32_t>(ReadLe32(info + 8));
  int bits = ReadLe16(info + 14);
  uint32_t storage = ReadLe32(info + 16);
  bool rowsTopDown = height < 0;
  height = rowsTopDown ? -height : height;
  if (width <= 0 || height == 0 || !IsKnownDepth(bits)) return RefuseHeader(kErrFileType);
  // Run lengths only exist bottom-up and at their own depth; bit fields only
  // when they are the plain layout.
  bool sixBitGreen = false;
  if (storage == kBitFields) {
    uint8_t masks[12];
    Fields fields = (bits == 16 || bits == 32) && Read(masks, 12) == 12 ? BitFields(bits, masks) : Fields::kUnknown;
    if (fields == Fields::kUnknown) return RefuseHeader(kErrFileType);
    sixBitGreen = fields == Fields::k565;
    storage = kRgb;
  } else if (!(storage == kRgb || (storage == kRle8 && bits == 8 && !rowsTopDown) ||
               (storage == kRle4 && bits == 4 && !rowsTopDown))) {
    return RefuseHeader(kErrFileType);
  }
  int64_t stride = (bits * width + 31) / 32 * 4;
  int64_t firstRow = int64_t{start} + ReadLe32(fileHeader + 10);
  if (width > kMaxWidth || width * height > kMaxPixels) return RefuseHeader(kErrOutOfMemory);
  if (firstRow + stride * height > INT32_MAX) return RefuseHeader(kErrFileType);

  // Indices above 255 cannot occur in a picture of 8 bits or less: a longer table is cut.
  int64_t colourCount = 0;
  if (bits <= 8) {
    colourCount = ReadLe32(info + 32);
    if (colourCount == 0 || colourCount > 256) colourCount = std::min<int64_t>(colourCount == 0 ? 1 << bits : 256, 256);
  }
  if (colourCount > 0) {
    if (!paletteMemory) {
      paletteMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 256 * sizeof(RGBQUAD));
      colours_ = paletteMemory ? static_cast<RGBQUAD*>(GlobalLock(paletteMemory)) : nullptr;
      if (!colours_) {
        if (paletteMemory) GlobalFree(paletteMemory);
        paletteMemory = nullptr;
        return RefuseHeader(kErrOutOfMemory);
      }
    }
    int32_t bytes = static_cast<int32_t>(colourCount * 4);
    if (Read(colours_, bytes) != bytes) return RefuseHeader(kErrFileType);
    for (int i = 0; i < colourCount; ++i) colours_[i].rgbReserved = 0;
    frameRecord.palette = colours_;
    frameRecord.paletteChanged = 1;
  }

  compression = storage;
  rgb565 = sixBitGreen;
  topDown = rowsTopDown;
  rowStride = static_cast<int32_t>(stride);
  dataOffset = static_cast<int32_t>(firstRow);
  fileRecord.frameCount = 1;
  fileRecord.formatTag = FormatTag("BMP");
  fileRecord.width = frameRecord.frameWidth = static_cast<int32_t>(width);
  fileRecord.height = frameRecord.frameHeight = static_cast<int32_t>(height);
  frameRecord.currentFrame = 0;
  frameRecord.frameTime = 0;
  frameRecord.depth = bits;
  frameRecord.planes = 1;
  frameRecord.originX = frameRecord.originY = 0;
  frameRecord.updateRect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  uint32_t imageSize = ReadLe32(info + 20);
  frameRecord.frameSize = imageSize != 0 && imageSize <= INT32_MAX ? static_cast<int32_t>(imageSize)
                                                                   : static_cast<int32_t>(stride * height);
  return true;
}

int32_t mImageBMP::ReadFrame(int x, int y, const RECT* clip) {
  if (fileRecord.formatTag != FormatTag("BMP") && !ReadHeader()) return -1;
  if (!target || !targetDesc) {
    ReportError(kClassImageBMP, kErrBitmap, nullptr);
    return -1;
  }
  StillPlacement part;
  if (!PlaceStill(*targetDesc, x, y, clip, frameRecord.frameWidth, frameRecord.frameHeight, &part)) return 0;
  bool runs = compression != kRgb;
  // Run-length rows come out as one index per pixel.
  StillMode mode = ChooseStillMode(*targetDesc, runs ? 8 : frameRecord.depth, 1);
  if (mode == StillMode::kNone) {
    ReportError(kClassImageBMP, kErrBitmap, nullptr);
    return -1;
  }
  if (mode != StillMode::kDirect) BuildConversion();
  uint8_t* row = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(rowStride) + 4));
  uint8_t* indices = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(frameRecord.frameWidth) + 1, 1));
  bool whole = true;
  if (!row || !indices) {
    ReportError(kClassImageBMP, kErrOutOfMemory, nullptr);
  } else if (runs) {
    whole = DrawRunLengths(part, x, y, mode, indices);
  } else {
    whole = DrawRows(part, x, y, mode, row, indices);
  }
  std::free(row);
  std::free(indices);
  FreeConversion();
  if (!whole) {
    // The rows the file held are drawn; the rest of the picture is not there.
    ReportError(kClassImageBMP, kErrFileRead, fileState.name);
    return -1;
  }
  return 0;
}

bool mImageBMP::DrawRows(const StillPlacement& part, int x, int y, StillMode mode, uint8_t* row, uint8_t* indices) {
  const int height = frameRecord.frameHeight;
  const int depth = frameRecord.depth;
  const auto* colours565 = static_cast<const uint16_t*>(conversion);
  // File rows in file order, so the reads move forward through the window.
  int firstFileRow = topDown ? part.top : height - part.bottom;
  int lastFileRow = topDown ? part.bottom - 1 : height - 1 - part.top;
  for (int fileRow = firstFileRow; fileRow <= lastFileRow; ++fileRow) {
    int pictureRow = topDown ? fileRow : height - 1 - fileRow;
    int32_t rowStart = dataOffset + fileRow * rowStride;
    if (mode == StillMode::kDirect) {
      int bytesPerPixel = depth / 8;
      int32_t count = (part.right - part.left) * bytesPerPixel;
      uint8_t* out = targetDesc->row0 + static_cast<intptr_t>(y + pictureRow) * targetDesc->pitch +
                     static_cast<intptr_t>(x + part.left) * bytesPerPixel;
      if (Seek(rowStart + part.left * bytesPerPixel, 0) < 0 || Read(out, count) != count) return false;
      continue;
    }
    int32_t used = static_cast<int32_t>(BitsToBytes(frameRecord.frameWidth, depth));
    if (Seek(rowStart, 0) < 0 || Read(row, used) != used) return false;
    if (depth == 8) {
      // Already indices.
      PutStillRow(*targetDesc, mode, 8, row, part.left, part.right, x + part.left, y + pictureRow, colours565);
      continue;
    }
    if (rgb565) To555(row, frameRecord.frameWidth);
    ConvertRow(row, indices, frameRecord.frameWidth, rowStride);
    PutStillRow(*targetDesc, mode, 8, indices, part.left, part.right, x + part.left, y + pictureRow, colours565);
  }
  return true;
}

bool mImageBMP::DrawRunLengths(const StillPlacement& part, int x, int y, StillMode mode, uint8_t* indices) {
  const int width = frameRecord.frameWidth;
  const int height = frameRecord.frameHeight;
  const bool nibbles = compression == kRle4;
  const auto* colours565 = static_cast<const uint16_t*>(conversion);
  if (Seek(dataOffset, 0) < 0) return false;
  int fileRow = 0;
  int column = 0;
  // Pixels the runs skip stay 0, as do the rows after the end of the data.
  auto finishRow = [&] {
    int pictureRow = height - 1 - fileRow;
    if (pictureRow >= part.top && pictureRow < part.bottom)
      PutStillRow(*targetDesc, mode, 8, indices, part.left, part.right, x + part.left, y + pictureRow, colours565);
    std::memset(indices, 0, static_cast<size_t>(width));
    ++fileRow;
    column = 0;
  };
  auto put = [&](uint8_t value) {
    if (column < width) indices[column] = value;
    ++column;
  };
  const int lastRow = height - 1 - part.top;  // the last file row that shows
  bool ended = false;  // by the end of the bitmap, or by the end of the data
  bool cut = false;    // by the end of the data, before the rows that show are whole
  while (!ended && fileRow < height && fileRow <= lastRow) {
    if (!EnsureBytes(2)) {
      // Data that ends right after the last pixels shown lacks only its end codes.
      cut = !(fileRow == lastRow && column >= width);
      break;
    }
    uint8_t count = fileState.readPtr[0], value = fileState.readPtr[1];
    fileState.readPtr += 2;
    if (count > 0) {
      for (int i = 0; i < count && column < width; ++i) put(nibbles ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
      continue;
    }
    switch (value) {
      case 0:
        finishRow();
        break;
      case 1:
        ended = true;
        break;
      case 2: {
        if (!EnsureBytes(2)) {
          ended = cut = true;
          break;
        }
        int dx = fileState.readPtr[0], dy = fileState.readPtr[1];
        fileState.readPtr += 2;
        int keepColumn = column;
        for (int i = 0; i < dy && fileRow < height; ++i) finishRow();
        column = std::min(keepColumn + dx, width);
        break;
      }
      default: {
        // Literal pixels, padded to a 16-bit boundary (a pad the data ends before is not missed).
        int bytes = nibbles ? (value + 1) / 2 : value;
        if (!EnsureBytes(bytes)) {
          ended = cut = true;
          break;
        }
        const uint8_t* p = fileState.readPtr;
        for (int i = 0; i < value && column < width; ++i) put(nibbles ? ((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
        fileState.readPtr += bytes;
        if ((bytes & 1) && EnsureBytes(1)) fileState.readPtr += 1;
        break;
      }
    }
  }
  while (fileRow < height && fileRow <= lastRow) finishRow();
  fileState.position = Tell();
  return !cut;
}

int32_t mImageBMP::SeekFrame(int32_t, int) {
  Seek(dataOffset, 0);
  return 0;
}

int32_t mImageBMP::WriteHeader() {
  ReportError(kClassImageBMP, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mImageBMP::WriteFrame(int, int, const RECT*) {
  ReportError(kClassImageBMP, kErrNotImplemented, nullptr);
  return 0;
}

void mImageBMP::UpdateTranslation() { ReportError(kClassImageBMP, kErrNotImplemented, nullptr); }

BOOL mImageBMP::SetTransparent(BOOL) {
  ReportError(kClassImageBMP, kErrNotImplemented, nullptr);
  return 0;
}

uint32_t mImageBMP::SetTransparentColour(uint32_t) {
  ReportError(kClassImageBMP, kErrNotImplemented, nullptr);
  return 0;
}

BOOL mImageBMP::SetRemap(BOOL) {
  ReportError(kClassImageBMP, kErrNotImplemented, nullptr);
  return 0;
}
