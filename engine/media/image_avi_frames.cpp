// mImageAVI: reading the movie's chunks into frames and sound, and seeking.
#include <algorithm>
#include <cstring>

#include "byte_order/little_endian.h"
#include "media/image_avi.h"

namespace {

// Frames decoded at most when the index gives no nearer key frame.
constexpr int32_t kIndexDistance = 10;
constexpr int32_t kIndexEntrySize = 16;

}  // namespace

int32_t mImageAVI::DataLength() const {
  if (fileState.flags & kMemoryBlock) return static_cast<int32_t>(fileState.dataEnd - fileState.areaBase);
  return fileState.size;
}

// To the end of the chunk just found, or to the end of the data when the
// chunk claims more than there is.
void mImageAVI::SkipChunk() {
  int64_t end = std::min<int64_t>(lastChunkEnd, DataLength());
  if (end > Tell()) Seek(static_cast<int32_t>(end), 0);
}

// The next `size` bytes straight into destination: the destination is the
// file layer's buffer for one refill. A memory block is copied from.
uint32_t mImageAVI::ReadChunkData(uint8_t* destination, uint32_t size) {
  if (size == 0) return 0;
  if (fileState.flags & kMemoryBlock) {
    int32_t got = Read(destination, static_cast<int32_t>(size));
    return got > 0 ? static_cast<uint32_t>(got) : 0;
  }
  SetBuffer(destination, static_cast<int32_t>(size), 0);
  uint32_t got = 0;
  if (Refill(nullptr)) {
    got = static_cast<uint32_t>(fileState.dataEnd - fileState.windowFirst);
    fileState.readPtr = fileState.dataEnd;
    fileState.position = Tell();
  }
  SetBuffer(nullptr, 0, 0);
  return got;
}

bool mImageAVI::ReadNextFrameChunk(uint32_t* delivered) {
  for (;;) {
    if (fileState.bufferEnd - fileState.readPtr < 12) Refill(fileState.readPtr);
    int64_t available = fileState.dataEnd - fileState.readPtr;
    if (available < 8) return false;
    const uint8_t* p = fileState.readPtr;
    uint32_t code = ReadLe32(p);
    if (code == FourCC("LIST") && available >= 12 && ReadLe32(p + 8) == FourCC("rec ")) {
      // A record's chunks are read as if they lay directly in "movi".
      if (!ListDescend(FourCC("rec "))) return false;
      chunkDepth -= 1;
      continue;
    }
    if ((code & 0xFFFF) == videoChunkPrefix && IsPaletteChange(code)) {
      FindChunk(code);
      ApplyPaletteChange();
      continue;
    }
    if ((code & 0xFFFF) == videoChunkPrefix) {
      FindChunk(code);
      uint32_t size = std::min(lastChunkSize, FrameChunkLimit());
      if (size > static_cast<uint32_t>(frameBufferSize) && !AllocateFrameBuffer(size)) return false;
      *delivered = ReadChunkData(frameBuffer, size);
      SkipChunk();
      if (frameRecord.currentFrame >= fileRecord.frameCount - 1) PassTrailingSound();
      return true;
    }
    if (code == audioChunkId && stream.length > 0) {
      PassAudioChunk();
      continue;
    }
    if (!NextChunk()) return false;
  }
}

// The colours of an "AVIPALCHANGE": first entry, count (0: 256), flags, then
// red, green, blue, flags per entry. They are the frame bitmap's from now on.
void mImageAVI::ApplyPaletteChange() {
  uint8_t change[4 + 256 * 4];
  uint32_t size = std::min<uint32_t>(lastChunkSize, sizeof change);
  int32_t got = size >= 4 ? Read(change, static_cast<int32_t>(size)) : 0;
  SkipChunk();
  if (got < 4) return;
  const int first = change[0];
  const int count = std::min({change[1] == 0 ? 256 : int{change[1]}, 256 - first, (got - 4) / 4});
  RGBQUAD colours[256];
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = change + 4 + 4 * i;
    colours[i] = RGBQUAD{entry[2], entry[1], entry[0], 0};
  }
  if (count <= 0) return;
  frameBitmap.SetColours(colours, first, count);
  coloursChanged_ = true;
  if (!frameRecord.remap) frameRecord.paletteChanged = 1;
}

void mImageAVI::Rewind() {
  Seek(moviStart, 0);
  decodedFrame = -1;
  if (!coloursChanged_) return;
  frameBitmap.SetColours(streamColours_, 0, 256);
  coloursChanged_ = false;
  if (!frameRecord.remap) frameRecord.paletteChanged = 1;
}

int32_t mImageAVI::ReadFrame(int x, int y, const RECT* clip) {
  // Drawing needs a target; the silent decoding of SeekFrame does not.
  if (!target && !silent) return -1;
  if (fileRecord.formatTag != FourCC("AVI ") && !ReadHeader()) return -1;
  FrameRecord& f = frameRecord;
  // A drawing read reports the palette changes of its own frame, as FLIC does.
  if (!silent) f.paletteChanged = 0;
  if (decodedFrame != f.currentFrame) {
    SetBuffer(nullptr, 0, 0);
    uint32_t delivered = 0;
    if (!ReadNextFrameChunk(&delivered)) return -1;
    // The decompressor learns the frame's length from the format.
    videoFormat->biSizeImage = delivered;
    ICDecompress(decompressor, 0, videoFormat, frameBuffer, frameBitmap.header, frameBitmap.desc->bits);
    ++framesDecoded;
    decodedFrame = f.currentFrame;
    f.frameSize = static_cast<int32_t>(delivered);
    f.updateRect = RECT{0, 0, f.frameWidth, f.frameHeight};
    if (autoKey) {
      BOOL wasTransparent = f.transparent;
      SetTransparentColour(*frameBitmap.desc->row0);
      SetTransparent(wasTransparent);
    }
  }
  if (!silent) frameBitmap.DrawOnto(target, x, y, clip, f.frameWidth, f.frameHeight);
  if (f.autoAdvance || silent) f.currentFrame = std::max(0, std::min(f.currentFrame + 1, fileRecord.frameCount - 1));
  return decodedFrame;
}

// Positions the file on the last key frame at or before target, as the index
// names it, or keeps the position when the frame decoded now lies between.
// False, with the position as it was, when the index cannot say.
bool mImageAVI::JumpToKeyFrame(int32_t target) {
  const int32_t back = Tell();
  if (Seek(indexStart, 0) < 0) {
    Seek(back, 0);
    return false;
  }
  int32_t frames = 0;
  int32_t keyFrame = -1;
  AVIINDEXENTRY keyEntry{};
  // Palette changes are no frames; the last one before the key frame is
  // noted by the frame it comes before.
  int32_t lastChange = -1, changeBeforeKey = -1;
  for (int32_t at = 0; at + kIndexEntrySize <= indexSize && frames <= target; at += kIndexEntrySize) {
    AVIINDEXENTRY entry;
    if (Read(&entry, kIndexEntrySize) != kIndexEntrySize) break;
    if ((entry.ckid & 0xFFFF) != videoChunkPrefix) continue;
    if (IsPaletteChange(entry.ckid)) {
      lastChange = frames;
      continue;
    }
    if (entry.dwFlags & AVIIF_KEYFRAME) {
      keyFrame = frames;
      keyEntry = entry;
      changeBeforeKey = lastChange;
    }
    ++frames;
  }
  // The index ends before the target, or has no key frame up to it, or the
  // jump would pass over colours not yet applied.
  if (frames <= target || keyFrame < 0 || changeBeforeKey > decodedFrame) {
    Seek(back, 0);
    return false;
  }
  if (keyFrame < decodedFrame && decodedFrame < target) {
    Seek(back, 0);
    frameRecord.currentFrame = decodedFrame + 1;
    return true;
  }
  // Offsets count from the "movi" list type. The chunk there must be the one
  // the entry names, or the index is not to be trusted.
  int64_t position = int64_t{moviStart} - 4 + keyEntry.dwChunkOffset;
  if (position < moviStart || position + 8 > DataLength() || Seek(static_cast<int32_t>(position), 0) < 0 ||
      !EnsureBytes(8) || ReadLe32(fileState.readPtr) != keyEntry.ckid) {
    Seek(back, 0);
    return false;
  }
  decodedFrame = -1;
  frameRecord.currentFrame = keyFrame;
  return true;
}

// Decodes silently from currentFrame up to target - 1. A movie that ends
// first is rewound to its start with no frame decoded.
void mImageAVI::DecodeOnTo(int32_t target) {
  silent = TRUE;
  while (frameRecord.currentFrame < target) {
    int32_t before = frameRecord.currentFrame;
    if (ReadFrame(0, 0, nullptr) < 0 || frameRecord.currentFrame == before) {
      Rewind();
      target = 0;
      break;
    }
  }
  silent = FALSE;
  frameRecord.currentFrame = target;
}

int32_t mImageAVI::SeekFrame(int32_t frame, int origin) {
  int64_t t = frame;
  if (origin == 1) t = int64_t{decodedFrame} + frame;
  else if (origin == 2) t = int64_t{fileRecord.frameCount} - frame;
  if (t < 0 || t >= fileRecord.frameCount) return frameRecord.currentFrame;
  const auto wanted = static_cast<int32_t>(t);
  if (wanted == decodedFrame || wanted == decodedFrame + 1) {
    frameRecord.currentFrame = wanted;
    return wanted;
  }
  if (indexStart != 0 && int64_t{wanted} - decodedFrame > kIndexDistance && JumpToKeyFrame(wanted)) {
    // positioned by the index
  } else if (decodedFrame < wanted) {
    frameRecord.currentFrame = decodedFrame + 1;
  } else {
    Rewind();
    frameRecord.currentFrame = 0;
  }
  DecodeOnTo(wanted);
  return 0;
}
