#include "media/image_flic.h"

#include <algorithm>
#include <cstring>

#include "byte_order/little_endian.h"

namespace {

constexpr uint16_t kMagicFli = 0xAF11;
constexpr uint16_t kMagicFlc = 0xAF12;
constexpr uint16_t kFrameMagic = 0xF1FA;
constexpr int32_t kFrameHeaderSize = 16;
constexpr int32_t kChunkHeaderSize = 6;
// Frame bitmaps beyond this many bytes are refused rather than attempted.
constexpr int64_t kMaxFrameBytes = int64_t{1} << 28;

}  // namespace

mImageFlic::mImageFlic() {
  std::memset(header, 0, sizeof header);
  frameRecord.currentFrame = 0;
}

mImageFlic::~mImageFlic() {
  if (fileState.isOpen) ReleaseImage();
  delete frameBitmap;
  frameBitmap = nullptr;
  SetTarget(nullptr);
  if (refCount != 0) {
    ReportWarning(kClassImageFlic, kErrStillInUse, nullptr);
    refCount = 0;
  }
}

void mImageFlic::ReleaseImage() {
  delete frameBitmap;
  frameBitmap = nullptr;
  frameRecord.palette = nullptr;
  if (fileState.isOpen) Close();
  fileRecord.formatTag = 0;
}

int32_t mImageFlic::DataLength() const {
  if (fileState.flags & kMemoryBlock) return fileState.firstPos + static_cast<int32_t>(fileState.dataEnd - fileState.windowFirst);
  return fileState.size;
}

BOOL mImageFlic::ReadHeader() {
  if (!fileState.isOpen || fileRecord.formatTag != 0) return FALSE;
  std::memset(header, 0, sizeof header);
  int32_t got = Read(header, sizeof header);
  uint16_t magic = ReadLe16(header + 4);
  const char* name = fileState.name;
  if (got != static_cast<int32_t>(sizeof header) || (magic != kMagicFli && magic != kMagicFlc)) {
    fileRecord.formatTag = 0;
    ReportError(kClassImageFlic, kErrFileType, name);
    ReleaseImage();
    return FALSE;
  }
  int32_t width = ReadLe16(header + 8);
  int32_t height = ReadLe16(header + 10);
  // A picture with no pixels cannot be shown, and one too large cannot be held.
  int64_t stride = (int64_t{width} + 3) & ~int64_t{3};
  if (width == 0 || height == 0) {
    ReportError(kClassImageFlic, kErrFileType, name);
    ReleaseImage();
    return FALSE;
  }
  if (stride * height > kMaxFrameBytes) {
    ReportError(kClassImageFlic, kErrOutOfMemory, name);
    ReleaseImage();
    return FALSE;
  }
  fileRecord.formatTag = FormatTag(magic == kMagicFli ? "FLI" : "FLC");
  literalReported_ = false;

  firstFrameOffset = static_cast<int32_t>(ReadLe32(header + 80));
  if (firstFrameOffset == 0) firstFrameOffset = Tell();
  secondFrameOffset = static_cast<int32_t>(ReadLe32(header + 84));
  if (secondFrameOffset == 0) {
    uint8_t size[4] = {};
    if (Seek(firstFrameOffset, 0) >= 0 && Read(size, 4) == 4)
      secondFrameOffset = static_cast<int32_t>(static_cast<uint32_t>(firstFrameOffset) + ReadLe32(size));
  }
  if (Tell() != firstFrameOffset) Seek(firstFrameOffset, 0);

  fileRecord.fileSize = static_cast<int32_t>(ReadLe32(header));
  fileRecord.frameCount = ReadLe16(header + 6);
  fileRecord.width = frameRecord.frameWidth = width;
  fileRecord.height = frameRecord.frameHeight = height;
  frameRecord.currentFrame = 0;
  frameRecord.frameSize = 0;
  int32_t speed = static_cast<int32_t>(ReadLe32(header + 16));
  frameRecord.frameTime = magic == kMagicFli ? static_cast<int32_t>(int64_t{speed} * 100 / 7) : speed;
  frameRecord.planes = 1;
  frameRecord.depth = ReadLe16(header + 12);

  delete frameBitmap;
  frameBitmap = new mBitmap(width, height, 8);
  if (frameBitmap->desc->width != width || frameBitmap->desc->height != height || !frameBitmap->desc->colours) {
    ReleaseImage();  // the bitmap reported why
    return FALSE;
  }
  if (target) frameBitmap->SetTopDown(target->desc->topDown);
  if (frameRecord.transparent) frameBitmap->SetTransparentColour(static_cast<uint32_t>(frameRecord.transparentColour));
  if (frameRecord.remap) frameBitmap->SetRemap(TRUE);
  frameRecord.palette = frameBitmap->desc->colours;

  decodedFrame = -1;
  silent = TRUE;
  ReadFrame(0, 0, nullptr);
  silent = FALSE;
  frameRecord.currentFrame = 0;
  return TRUE;
}

int32_t mImageFlic::WriteHeader() {
  ReportError(kClassImageFlic, kErrNotImplemented, "WriteHeader()");
  return 0;
}

int32_t mImageFlic::WriteFrame(int, int, const RECT*) {
  ReportError(kClassImageFlic, kErrNotImplemented, "WriteFrame()");
  return -1;
}

int32_t mImageFlic::ReadFrame(int x, int y, const RECT* clip) {
  if (fileRecord.formatTag == 0 && !ReadHeader()) return -1;
  if (!frameBitmap) return -1;
  if (!silent) frameRecord.paletteChanged = 0;
  if (frameRecord.currentFrame != decodedFrame) {
    if (!DecodeFrame()) return -1;
    decodedFrame = frameRecord.currentFrame;
    if (autoKey) {
      BOOL wasTransparent = frameRecord.transparent;
      SetTransparentColour(*frameBitmap->desc->row0);
      SetTransparent(wasTransparent);
    }
  }
  if (frameRecord.autoAdvance && !silent) {
    frameRecord.currentFrame += 1;
    if (frameRecord.currentFrame >= fileRecord.frameCount) frameRecord.currentFrame = fileRecord.frameCount - 1;
  }
  if (silent || !target) return decodedFrame;
  frameBitmap->DrawOnto(target, x, y, clip, frameRecord.frameWidth, frameRecord.frameHeight);
  return decodedFrame;
}

bool mImageFlic::DecodeFrame() {
  RECT& update = frameRecord.updateRect;
  update = RECT{frameRecord.frameWidth, frameRecord.frameHeight, 0, 0};
  int32_t frameStart = Tell();
  frameLimit = frameStart + kFrameHeaderSize;
  if (!Need(kFrameHeaderSize) || ReadLe16(fileState.readPtr + 4) != kFrameMagic) {
    ReportError(kClassImageFlic, kErrBadFrameHeader, fileState.name);
    return false;
  }
  frameRecord.frameSize = static_cast<int32_t>(ReadLe32(fileState.readPtr));
  int chunks = ReadLe16(fileState.readPtr + 6);
  fileState.readPtr += kFrameHeaderSize;
  // Chunks are read inside the frame only; a size below the header's is taken as the header.
  int64_t frameEnd = int64_t{frameStart} + std::max<int64_t>(static_cast<uint32_t>(frameRecord.frameSize), kFrameHeaderSize);
  int64_t dataLength = DataLength();
  frameLimit = static_cast<int32_t>(std::min<int64_t>(frameEnd, std::max<int64_t>(dataLength, Tell())));

  for (int i = 0; i < chunks; ++i) {
    int32_t chunkStart = Tell();
    if (!Need(kChunkHeaderSize)) break;
    uint32_t size = ReadLe32(fileState.readPtr);
    int type = ReadLe16(fileState.readPtr + 4);
    fileState.readPtr += kChunkHeaderSize;
    DecodeChunk(type, chunkStart, static_cast<int32_t>(std::min<uint32_t>(size, 0x7FFFFFFF)));
    // The next chunk starts at this one's start plus its size, at least past its header.
    int64_t next = int64_t{chunkStart} + (type == 13 ? kChunkHeaderSize : std::max<int64_t>(size, kChunkHeaderSize));
    if (next >= frameLimit) break;
    if (next != Tell()) Seek(static_cast<int32_t>(next), 0);
  }
  // The next frame follows this one, wherever its chunks left the reader.
  int64_t next = std::min<int64_t>(frameEnd, dataLength);
  if (next != Tell() && next >= 0) Seek(static_cast<int32_t>(next), 0);
  fileState.position = Tell();

  update.left = std::max<LONG>(update.left, 0);
  update.top = std::max<LONG>(update.top, 0);
  update.right = std::min<LONG>(update.right, frameRecord.frameWidth);
  update.bottom = std::min<LONG>(update.bottom, frameRecord.frameHeight);
  return true;
}

void mImageFlic::DecodeChunk(int type, int32_t chunkStart, int32_t chunkSize) {
  switch (type) {
    case 4:
      DecodeColours(0);
      break;
    case 7:
      DecodeDeltaFlc();
      break;
    case 11:
      DecodeColours(2);
      break;
    case 12:
      DecodeDeltaFli();
      break;
    case 13:
      DecodeBlack();
      break;
    case 15:
      DecodeByteRun();
      break;
    case 16:
      // A whole picture needs no word; a short one is told once, not at
      // every turn of a looping animation.
      if (!DecodeLiteral() && !literalReported_) {
        ReportWarning(kClassImageFlic, kErrNotTested, "LITERAL");
        literalReported_ = true;
      }
      break;
    case 18:
      break;  // postage stamp: not shown
    default:
      ReportWarning(kClassImageFlic, kErrBadChunkType, fileState.name);
      break;
  }
}

int32_t mImageFlic::SeekFrame(int32_t frame, int origin) {
  int32_t count = fileRecord.frameCount;
  int32_t t = frame;
  if (origin == 1) t = decodedFrame + frame;
  else if (origin == 2) t = count - frame;

  if (t >= count) return frameRecord.currentFrame;
  if (t == decodedFrame) {
    frameRecord.currentFrame = t;
    return t;
  }
  BOOL wasSilent = silent;
  silent = TRUE;
  if (t == decodedFrame + 1) {
    frameRecord.currentFrame = t;
    ReadFrame(0, 0, nullptr);
    silent = wasSilent;
    return t;
  }
  if (t == 0 && decodedFrame == count - 1) {
    // The ring frame turns the last picture back into the first.
    frameRecord.currentFrame = 0;
    ReadFrame(0, 0, nullptr);
    Seek(secondFrameOffset, 0);
    silent = wasSilent;
    return 0;
  }
  if (decodedFrame < t && decodedFrame >= 0) {
    frameRecord.currentFrame = decodedFrame;
  } else {
    frameRecord.currentFrame = 0;
    Seek(firstFrameOffset, 0);
    // Whatever was decoded, the next decode is frame 0 again.
    decodedFrame = -1;
  }
  while (frameRecord.currentFrame < t) {
    if (ReadFrame(0, 0, nullptr) < 0) break;
    frameRecord.currentFrame += 1;
  }
  silent = wasSilent;
  frameRecord.updateRect = RECT{0, 0, frameRecord.frameWidth, frameRecord.frameHeight};
  return 0;
}

void mImageFlic::UpdateTranslation() {
  if (frameRecord.remap && target && frameBitmap) translation = frameBitmap->BuildTranslation(target);
}

BOOL mImageFlic::SetTarget(mBitmap* bitmap) {
  mImageFile::SetTarget(bitmap);
  if (!bitmap) return TRUE;
  if (bitmap->desc->bitsPerPixel != frameRecord.depth || bitmap->desc->planes != frameRecord.planes) {
    ReportError(kClassImageFlic, kErrBitmap, "Bitmap wrong format");
    return FALSE;
  }
  if (frameBitmap) frameBitmap->SetTopDown(bitmap->desc->topDown);
  return TRUE;
}

BOOL mImageFlic::SetTransparent(BOOL flag) {
  mImageFile::SetTransparent(flag);
  if (frameBitmap) frameBitmap->SetTransparent(flag);
  return flag;
}

uint32_t mImageFlic::SetTransparentColour(uint32_t index) {
  mImageFile::SetTransparentColour(index);
  if (frameBitmap) frameBitmap->SetTransparentColour(index);
  autoKey = FALSE;
  return index;
}

BOOL mImageFlic::SetRemap(BOOL flag) {
  mImageFile::SetRemap(flag);
  if (frameBitmap) frameBitmap->SetRemap(flag);
  frameRecord.paletteChanged = flag ? 0 : 1;
  return flag;
}
