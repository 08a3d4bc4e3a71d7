#include "media/image_pcx.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "byte_order/little_endian.h"

namespace {

// The layouts rows can be turned into indices from.
bool IsKnownLayout(int depth, int planes) {
  return (depth == 1 && planes >= 1 && planes <= 8) || ((depth == 2 || depth == 4) && planes == 1) ||
         (depth == 8 && (planes == 1 || planes == 3));
}

bool SameColour(const RGBQUAD& a, const RGBQUAD& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

}  // namespace

mImagePCX::mImagePCX() = default;

mImagePCX::~mImagePCX() {
  if (fileState.isOpen) Close();
  if (paletteBlock) {
    if (frameRecord.palette == paletteColours) frameRecord.palette = nullptr;
    GlobalUnlock(paletteBlock);
    GlobalFree(paletteBlock);
    paletteBlock = nullptr;
    paletteColours = nullptr;
  }
}

bool mImagePCX::Refuse(uint32_t error) {
  ReportError(kClassImagePCX, error, nullptr);
  return false;
}

int64_t mImagePCX::DataLength() const {
  if (fileState.flags & kMemoryBlock) return fileState.firstPos + (fileState.dataEnd - fileState.windowFirst);
  return fileState.size;
}

bool mImagePCX::ReadPictureHeader() {
  uint8_t header[kHeaderSize] = {};
  if (Read(header, kHeaderSize) != kHeaderSize) return Refuse(kErrFileType);
  int32_t afterHeader = Tell();
  if (header[0] != 0x0A || header[2] != 1) return Refuse(kErrFileType);
  int depth = header[3];
  int xmin = ReadLe16(header + 4), ymin = ReadLe16(header + 6), xmax = ReadLe16(header + 8), ymax = ReadLe16(header + 10);
  int planes = header[65];
  int lineBytes = ReadLe16(header + 66);
  // A reversed extent, or lines too short for their pixels, would describe
  // pixels that are not in the file.
  if (xmax < xmin || ymax < ymin || !IsKnownLayout(depth, planes)) return Refuse(kErrFileType);
  int width = xmax - xmin + 1, height = ymax - ymin + 1;
  if (int64_t{lineBytes} * 8 < int64_t{width} * depth) return Refuse(kErrFileType);

  if (!paletteBlock) {
    paletteBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 256 * sizeof(RGBQUAD));
    paletteColours = paletteBlock ? static_cast<RGBQUAD*>(GlobalLock(paletteBlock)) : nullptr;
    if (!paletteColours) {
      if (paletteBlock) GlobalFree(paletteBlock);
      paletteBlock = nullptr;
      return Refuse(kErrOutOfMemory);
    }
  }
  for (int i = 0; i < 16; ++i) {
    const uint8_t* rgb = header + 16 + 3 * i;
    paletteColours[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
  }
  // Many writers leave the colours of a black and white picture empty: two
  // equal colours say nothing, and the picture is black and white.
  if (depth == 1 && planes == 1 && SameColour(paletteColours[0], paletteColours[1])) {
    paletteColours[0] = RGBQUAD{0, 0, 0, 0};
    paletteColours[1] = RGBQUAD{255, 255, 255, 0};
  }
  dataOffset = afterHeader;
  bytesPerLine = lineBytes;
  scanSize = planes * lineBytes;
  fileRecord.frameCount = 1;
  fileRecord.formatTag = FormatTag("PCX");
  fileRecord.fileSize = static_cast<int32_t>(std::min<int64_t>(int64_t{scanSize} * height, INT32_MAX));
  fileRecord.width = frameRecord.frameWidth = width;
  fileRecord.height = frameRecord.frameHeight = height;
  frameRecord.currentFrame = 0;
  frameRecord.frameTime = 0;
  frameRecord.frameSize = static_cast<int32_t>(std::min<int64_t>(int64_t{lineBytes} * height, INT32_MAX));
  frameRecord.depth = depth;
  frameRecord.planes = planes;
  frameRecord.originX = frameRecord.originY = 0;
  frameRecord.updateRect = RECT{0, 0, width, height};
  frameRecord.palette = paletteColours;
  frameRecord.paletteChanged = 1;
  return true;
}

bool mImagePCX::ReadTrailingPalette(int64_t at) {
  if (Seek(static_cast<int32_t>(at), 0) < 0 || !EnsureBytes(kPaletteSize) || fileState.readPtr[0] != 0x0C) return false;
  const uint8_t* rgb = fileState.readPtr + 1;
  for (int i = 0; i < 256; ++i, rgb += 3) paletteColours[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
  fileState.readPtr += kPaletteSize;
  fileState.position = Tell();
  return true;
}

BOOL mImagePCX::ReadHeader() {
  trailingPalette_ = false;
  if (!ReadPictureHeader()) return FALSE;
  if (isPage) return TRUE;
  // The colours follow the picture; a file too short to hold both has none.
  int64_t at = DataLength() - kPaletteSize;
  trailingPalette_ = at >= dataOffset && ReadTrailingPalette(at);
  if (trailingPalette_) return TRUE;
  if (frameRecord.depth * frameRecord.planes > 8) {
    frameRecord.palette = nullptr;
    frameRecord.paletteChanged = 0;
  }
  return TRUE;
}

bool mImagePCX::DecodeLine(uint8_t* line) {
  uint8_t* out = line;
  uint8_t* const end = line + scanSize;
  uint8_t* p = fileState.readPtr;
  uint8_t* dataEnd = fileState.dataEnd;
  while (out < end) {
    if (dataEnd - p < 2) {
      // A run needs two bytes: refill first, and at the end of the data only a
      // literal can still be taken.
      fileState.readPtr = p;
      EnsureBytes(2);
      p = fileState.readPtr;
      dataEnd = fileState.dataEnd;
      if (dataEnd - p < 1 || (dataEnd - p < 2 && *p >= 0xC0)) {
        fileState.readPtr = p;
        return false;
      }
      if (dataEnd - p < 2) {
        *out++ = *p++;
        continue;
      }
    }
    // Literals and runs take the same path: noisy pictures would mispredict a
    // branch on the kind of byte half the time.
    const uint8_t byte = p[0];
    const bool run = byte >= 0xC0;
    const size_t count = run ? byte & 0x3F : 1;
    const uint8_t value = run ? p[1] : byte;
    p += run ? 2 : 1;
    if (count <= 8 && end - out >= 8) {
      const uint64_t repeated = value * 0x0101010101010101ull;
      std::memcpy(out, &repeated, 8);
      out += count;
    } else {
      // The rest of a run past the end of the line is dropped.
      const size_t taken = std::min<size_t>(count, static_cast<size_t>(end - out));
      std::memset(out, value, taken);
      out += taken;
    }
  }
  fileState.readPtr = p;
  return true;
}

int32_t mImagePCX::ReadFrame(int x, int y, const RECT* clip) {
  if (fileRecord.formatTag != FormatTag("PCX") && !ReadHeader()) return -1;
  if (!target || !targetDesc) {
    ReportError(kClassImagePCX, kErrBitmap, nullptr);
    return -1;
  }
  StillPlacement part;
  if (!PlaceStill(*targetDesc, x, y, clip, frameRecord.frameWidth, frameRecord.frameHeight, &part)) return 0;
  StillMode mode = ChooseStillMode(*targetDesc, frameRecord.depth, frameRecord.planes);
  if (mode == StillMode::kNone) {
    ReportError(kClassImagePCX, kErrBitmap, nullptr);
    return -1;
  }
  if (Seek(dataOffset, 0) < 0) return -1;
  bool cut = false;  // the file ends before the picture does
  bool converting = mode != StillMode::kDirect;
  if (converting) BuildConversion();
  auto* line = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(scanSize)));
  auto* indices = converting ? static_cast<uint8_t*>(std::malloc(static_cast<size_t>(frameRecord.frameWidth))) : nullptr;
  if (!line || (converting && !indices)) {
    ReportError(kClassImagePCX, kErrOutOfMemory, nullptr);
  } else {
    const auto* colours565 = static_cast<const uint16_t*>(conversion);
    for (int row = 0; row < part.bottom; ++row) {
      if (!DecodeLine(line)) {
        cut = true;
        break;
      }
      if (row < part.top) continue;
      const uint8_t* pixels = line;
      if (converting) {
        ConvertRow(line, indices, frameRecord.frameWidth, bytesPerLine);
        pixels = indices;
      }
      PutStillRow(*targetDesc, mode, 8, pixels, part.left, part.right, x + part.left, y + row, colours565);
    }
  }
  std::free(line);
  std::free(indices);
  FreeConversion();
  fileState.position = Tell();
  if (!cut && part.bottom == frameRecord.frameHeight) cut = PaletteCutShort();
  if (cut) {
    // What the file held is drawn; the rest of the picture, or its colours, is not there.
    ReportError(kClassImagePCX, kErrFileRead, fileState.name);
    return -1;
  }
  return 0;
}

// The colours' marker follows the whole picture, but fewer than 256 colours do.
bool mImagePCX::PaletteCutShort() {
  if (isPage || trailingPalette_ || frameRecord.depth != 8 || frameRecord.planes != 1) return false;
  int64_t left = DataLength() - Tell();
  return left > 0 && left < kPaletteSize && EnsureBytes(1) && fileState.readPtr[0] == 0x0C;
}

int32_t mImagePCX::SeekFrame(int32_t, int) {
  Seek(dataOffset, 0);
  return 0;
}

int32_t mImagePCX::WriteHeader() { return Refuse(kErrNotImplemented); }

int32_t mImagePCX::WriteFrame(int, int, const RECT*) { return Refuse(kErrNotImplemented); }

void mImagePCX::UpdateTranslation() { Refuse(kErrNotImplemented); }

BOOL mImagePCX::SetTransparent(BOOL) { return Refuse(kErrNotImplemented); }

uint32_t mImagePCX::SetTransparentColour(uint32_t) { return Refuse(kErrNotImplemented); }

BOOL mImagePCX::SetRemap(BOOL) { return Refuse(kErrNotImplemented); }
