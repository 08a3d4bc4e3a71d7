// mImageAVI: construction, the header with its stream choice, the flag
// operations and destruction.
#include "media/image_avi.h"

#include <algorithm>
#include <cstring>

namespace {

// Unlocks and frees a locked block, forgetting its handle and its pointer.
template <typename T>
void FreeLockedBlock(HGLOBAL& block, T*& pointer) {
  if (!block) return;
  GlobalUnlock(block);
  GlobalFree(block);
  block = nullptr;
  pointer = nullptr;
}

// Frames larger than this many pixels are refused rather than attempted.
constexpr int64_t kMaxFramePixels = int64_t{1} << 28;
// The sound's ring: at most this many buffers of at most this many ms and
// bytes each, whatever a stream header asks for.
constexpr uint32_t kMaxBufferCount = 32;
constexpr uint32_t kMaxBufferMs = 10000;
constexpr uint32_t kMaxBufferBytes = 1 << 20;
// A stream number beyond two digits cannot name its chunks.
constexpr uint32_t kMaxStreams = 100;

uint32_t ColourCount(const BITMAPINFOHEADER* format) { return format->biClrUsed == 0 ? 256 : format->biClrUsed; }

// Bytes of one sound block: the format's own figure, or what its channels and
// sample size make when it gives none.
uint32_t BlockBytes(const WAVEFORMATEX* format) {
  if (!format) return 0;
  if (format->nBlockAlign != 0) return format->nBlockAlign;
  return format->nChannels * ((format->wBitsPerSample + 7u) / 8u);
}

}  // namespace

mImageAVI::mImageAVI() {
  std::memset(&mainHeader, 0, sizeof mainHeader);
  std::memset(streamColours_, 0, sizeof streamColours_);
  frameRecord.currentFrame = 0;
  autoFill = 0;  // the movie's audio chunks fill the buffers, never the window procedure
}

mImageAVI::~mImageAVI() {
  FreeVideo();
  FreeSoundQueue();
  SetTarget(nullptr);
  if (refCount != 0) {
    ReportWarning(kClassImageAVI, kErrStillInUse, nullptr);
    refCount = 0;
  }
  frameBitmap.Release();
  frameRecord.palette = nullptr;
}

void mImageAVI::CloseDecompressor() {
  if (!decompressor) return;
  ICSendMessage(decompressor, ICM_DECOMPRESS_END, 0, 0);
  ICClose(decompressor);
  decompressor = nullptr;
}

void mImageAVI::FreeVideo() {
  FreeLockedBlock(videoFormatBlock, videoFormat);
  FreeLockedBlock(frameBufferBlock, frameBuffer);
  frameBufferSize = 0;
  CloseDecompressor();
}

// No 8-bit frame needs more bytes than this: raw rows, or run-length codes
// of at most two bytes a pixel plus a line end per row.
uint32_t mImageAVI::FrameChunkLimit() const {
  uint64_t stride = (static_cast<uint64_t>(frameRecord.frameWidth) + 3) & ~uint64_t{3};
  uint64_t rows = static_cast<uint64_t>(frameRecord.frameHeight);
  uint64_t limit = 2 * stride * rows + 4 * rows + 4096;
  return static_cast<uint32_t>(std::min<uint64_t>(limit, 0x7FFFFFFF));
}

bool mImageAVI::AllocateFrameBuffer(uint32_t size) {
  FreeLockedBlock(frameBufferBlock, frameBuffer);
  frameBufferSize = 0;
  frameBufferBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  frameBuffer = frameBufferBlock ? static_cast<uint8_t*>(GlobalLock(frameBufferBlock)) : nullptr;
  if (!frameBuffer) {
    if (frameBufferBlock) GlobalFree(frameBufferBlock);
    frameBufferBlock = nullptr;
    ReportError(kClassImageAVI, kErrOutOfMemory, fileState.name);
    return false;
  }
  frameBufferSize = static_cast<int32_t>(size);
  return true;
}

// A format the frame bitmap can take: an 8-bit picture of the movie's size
// whose colour table lies inside the copy.
bool mImageAVI::CheckVideoFormat(const BITMAPINFOHEADER* f, uint32_t copied) const {
  if (copied < sizeof(BITMAPINFOHEADER) || f->biSize < sizeof(BITMAPINFOHEADER)) return false;
  if (f->biBitCount != 8 || f->biClrUsed > 256) return false;
  if (static_cast<uint64_t>(f->biSize) + 4 * uint64_t{ColourCount(f)} > kVideoFormatMax) return false;
  int64_t height = f->biHeight < 0 ? -int64_t{f->biHeight} : f->biHeight;
  return f->biWidth == frameRecord.frameWidth && height == frameRecord.frameHeight;
}

bool mImageAVI::TakeVideoStream(int index, const AVIStreamHeader& header, uint32_t formatSize) {
  videoPriority = header.wPriority;
  videoStream = index;
  FreeVideo();
  videoFormatBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kVideoFormatMax);
  videoFormat = videoFormatBlock ? static_cast<BITMAPINFOHEADER*>(GlobalLock(videoFormatBlock)) : nullptr;
  if (!videoFormat) {
    if (videoFormatBlock) GlobalFree(videoFormatBlock);
    videoFormatBlock = nullptr;
    ReportError(kClassImageAVI, kErrOutOfMemory, fileState.name);
    return false;
  }
  uint32_t copy = std::min(formatSize, kVideoFormatMax);
  int32_t got = copy ? Read(videoFormat, static_cast<int32_t>(copy)) : 0;
  if (got < 0 || !CheckVideoFormat(videoFormat, static_cast<uint32_t>(std::max(got, 0)))) return false;
  videoChunkPrefix = StreamDigits(index);

  if (header.dwSuggestedBufferSize != 0) {
    if (!AllocateFrameBuffer(std::min<uint32_t>(header.dwSuggestedBufferSize, FrameChunkLimit()))) return false;
  } else {
    frameBufferSize = 0;
  }
  if (!frameBitmap.Create(frameRecord.frameWidth, frameRecord.frameHeight, 8)) return false;  // reported
  if (frameRecord.transparent) frameBitmap.SetTransparentColour(static_cast<uint32_t>(frameRecord.transparentColour));
  frameBitmap.SetRemap(frameRecord.remap);

  DWORD handler = header.fccHandler;
  if (handler == FourCC("RLE ")) handler = FourCC("MRLE");
  decompressor = ICOpen(ICTYPE_VIDEO, handler, ICMODE_FASTDECOMPRESS);
  if (!decompressor) return false;
  auto in = reinterpret_cast<DWORD_PTR>(videoFormat);
  auto out = reinterpret_cast<DWORD_PTR>(frameBitmap.header);
  if (ICSendMessage(decompressor, ICM_DECOMPRESS_BEGIN, in, out) != ICERR_OK) return false;
  ICSendMessage(decompressor, ICM_DECOMPRESS_GET_PALETTE, in, out);
  ++frameBitmap.ownDesc.paletteVersion;
  std::memcpy(streamColours_, frameBitmap.desc->colours, sizeof streamColours_);
  coloursChanged_ = false;
  frameRecord.palette = frameBitmap.desc->colours;
  frameRecord.paletteChanged = frameRecord.remap ? 0 : 1;
  frameRecord.depth = frameBitmap.desc->bitsPerPixel;
  frameRecord.planes = frameBitmap.desc->planes;
  return true;
}

void mImageAVI::TakeAudioStream(int index, const AVIStreamHeader& header, uint32_t formatSize) {
  // A stream chosen by SetPosition keeps its priority, so later streams do not win.
  if (index != audioStream || audioPriority < kChosenPriority) audioPriority = header.wPriority;
  audioStream = index;
  stream.current = index;
  audioChunkId = StreamDigits(index) | (FourCC("00wb") & 0xFFFF0000u);
  if (Playing()) StreamStop();  // the device holds the old format
  FreeSoundQueue();             // sized for the old format
  StreamOpen(static_cast<int32_t>(std::min<uint32_t>(formatSize, 0x7FFFFFFF)));
  // The stream's length counts blocks (one sample of every channel), not samples.
  uint64_t bytes = uint64_t{header.dwLength} * BlockBytes(waveFormat);
  uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(bytes, 0x7FFFFFFF));
  format.reserved[0] = static_cast<int32_t>(BytesToSamples(dataBytes));  // lengthSamples
  format.reserved[2] = static_cast<int32_t>(SamplesToTime(BytesToSamples(dataBytes)));
  format.reserved[1] = static_cast<int32_t>(dataBytes);
  SetUnits(0);
  uint32_t length = std::min<uint32_t>(static_cast<uint32_t>(frameRecord.frameTime) + 10, kMaxBufferMs);
  SetBuffering(length, std::min<uint32_t>(header.dwInitialFrames, kMaxBufferCount - 2) + 2);
  bufferSize = std::min(bufferSize, kMaxBufferBytes);
}

// One "strl" list: false when it lacks a part or its video cannot be shown.
bool mImageAVI::ReadStreamList(int index) {
  if (!FindChunk(FourCC("strh"))) return false;
  AVIStreamHeader header;
  std::memset(&header, 0, sizeof header);
  Read(&header, static_cast<int32_t>(std::min<uint32_t>(lastChunkSize, sizeof header)));
  ChunkSkip();
  if (!FindChunk(FourCC("strf"))) return false;
  uint32_t formatSize = lastChunkSize;
  if (header.fccType == FourCC("vids")) {
    if (header.wPriority >= videoPriority || index == videoStream) {
      if (!TakeVideoStream(index, header, formatSize)) return false;
    }
  } else if (header.fccType == FourCC("auds")) {
    stream.length += 1;
    if (header.wPriority >= audioPriority || index == audioStream) TakeAudioStream(index, header, formatSize);
  }
  ChunkSkip();
  ChunkAscend();
  return true;
}

BOOL mImageAVI::ReadHeader() {
  if (!fileState.isOpen) return FALSE;
  fileRecord.formatTag = 0;
  FreeVideo();
  if (Tell() != 0 && Seek(0, 0) < 0) return FALSE;
  if (!RiffDescend(FourCC("AVI ")) || !ListDescend(FourCC("hdrl")) || !FindChunk(FourCC("avih"))) return FALSE;
  std::memset(&mainHeader, 0, sizeof mainHeader);
  if (lastChunkSize < sizeof mainHeader || Read(&mainHeader, sizeof mainHeader) != sizeof mainHeader) return FALSE;
  // A picture with no pixels cannot be shown, and one too large cannot be held.
  if (mainHeader.dwWidth == 0 || mainHeader.dwHeight == 0) return FALSE;
  if (mainHeader.dwWidth > 0x7FFF || mainHeader.dwHeight > 0x7FFF ||
      int64_t{mainHeader.dwWidth} * mainHeader.dwHeight > kMaxFramePixels) {
    ReportError(kClassImageAVI, kErrOutOfMemory, fileState.name);
    return FALSE;
  }
  fileRecord.frameCount = static_cast<int32_t>(std::min<DWORD>(mainHeader.dwTotalFrames, 0x7FFFFFFF));
  fileRecord.fileSize = (fileState.flags & kMemoryBlock) ? static_cast<int32_t>(fileState.dataEnd - fileState.areaBase)
                                                         : fileState.size;
  fileRecord.width = frameRecord.frameWidth = static_cast<int32_t>(mainHeader.dwWidth);
  fileRecord.height = frameRecord.frameHeight = static_cast<int32_t>(mainHeader.dwHeight);
  frameRecord.currentFrame = 0;
  frameRecord.frameTime = static_cast<int32_t>(mainHeader.dwMicroSecPerFrame / 1000);
  frameRecord.updateRect = RECT{0, 0, frameRecord.frameWidth, frameRecord.frameHeight};
  frameRecord.transparentColour = 0;
  stream.length = 0;
  ChunkSkip();

  // The stream count is taken as an upper bound: the lists end where the file's do.
  uint32_t streams = std::min<DWORD>(mainHeader.dwStreams, kMaxStreams);
  for (uint32_t i = 0; i < streams; ++i) {
    if (!ListDescend(FourCC("strl"))) break;
    if (!ReadStreamList(static_cast<int>(i))) return FALSE;
  }
  if (!decompressor) return FALSE;  // nothing to show
  ChunkAscend();
  if (stream.length == 0) stream.reserved[0] = static_cast<int32_t>(FourCC("NONE"));

  if (!ListDescend(FourCC("movi"))) return FALSE;
  moviStart = Tell();
  ChunkAscend();
  fileRecord.formatTag = FourCC("AVI ");
  indexStart = indexSize = 0;
  if (mainHeader.dwFlags & AVIF_HASINDEX) {
    if (FindChunk(FourCC("idx1"))) {
      indexStart = Tell();
      indexSize = static_cast<int32_t>(std::min<uint32_t>(lastChunkSize, 0x7FFFFFF0) & ~uint32_t{15});
    } else {
      mainHeader.dwFlags &= ~static_cast<DWORD>(AVIF_HASINDEX);
    }
  }
  // The frame bitmap is new: whatever was decoded before is gone.
  decodedFrame = -1;
  Seek(moviStart, 0);
  return TRUE;
}

int32_t mImageAVI::WriteHeader() {
  ReportError(kClassImageAVI, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mImageAVI::WriteFrame(int, int, const RECT*) {
  ReportError(kClassImageAVI, kErrNotImplemented, nullptr);
  return 0;
}

void mImageAVI::UpdateTranslation() {
  if (frameRecord.remap && target) translation = frameBitmap.BuildTranslation(target);
}

BOOL mImageAVI::SetTransparent(BOOL flag) {
  mImageFile::SetTransparent(flag);
  frameBitmap.SetTransparent(flag);
  return flag;
}

uint32_t mImageAVI::SetTransparentColour(uint32_t index) {
  mImageFile::SetTransparentColour(index);
  frameBitmap.SetTransparentColour(index);
  autoKey = FALSE;
  return index;
}

BOOL mImageAVI::SetRemap(BOOL flag) {
  mImageFile::SetRemap(flag);
  frameBitmap.SetRemap(flag);
  frameRecord.paletteChanged = flag ? 0 : 1;
  return flag;
}

int32_t mImageAVI::SetPosition(int32_t position) {
  // Chunk codes carry two digits: other stream numbers cannot be chosen.
  if (position < 0 || position >= static_cast<int32_t>(kMaxStreams)) return stream.current;
  stream.current = position;
  audioStream = position;
  audioChunkId = StreamDigits(position) | (FourCC("00wb") & 0xFFFF0000u);
  audioPriority = kChosenPriority;
  return position;
}
