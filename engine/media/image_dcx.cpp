#include "media/image_dcx.h"

#include <cstring>

mImageDCX::mImageDCX() { isPage = TRUE; }

BOOL mImageDCX::ReadHeader() {
  dcxBase = Tell();
  std::memset(pageTable, 0, sizeof pageTable);
  // A short table ends where the file does.
  int32_t got = Read(pageTable, sizeof pageTable);
  if (got < 4 || pageTable[0] != kMagic) {
    pageTable[0] = 0;
    ReportError(kClassImageDCX, kErrFileType, nullptr);
    return FALSE;
  }
  pageCount = 0;
  while (pageCount < kMaxPages && pageTable[1 + pageCount] != 0) ++pageCount;
  if (pageCount == 0) {
    pageTable[0] = 0;
    ReportError(kClassImageDCX, kErrFileType, nullptr);
    return FALSE;
  }
  fileRecord.frameCount = pageCount;
  frameRecord.currentFrame = -1;
  SeekFrame(0, 0);
  return TRUE;
}

int32_t mImageDCX::SeekFrame(int32_t page, int origin) {
  if (origin == 1) page += frameRecord.currentFrame;
  else if (origin == 2) page = pageCount - page;
  if (page < 0 || page >= pageCount) return frameRecord.currentFrame;

  int64_t length = DataLength();
  int64_t start = int64_t{dcxBase} + pageTable[1 + page];
  // A page whose header lies past the end of the file cannot be read.
  if (start + kHeaderSize > length) {
    ReportError(kClassImagePCX, kErrFileType, nullptr);
    pageReadable_ = false;
  } else {
    pageReadable_ = Seek(static_cast<int32_t>(start), 0) >= 0 && ReadPictureHeader();
  }
  frameRecord.currentFrame = page;
  fileRecord.frameCount = pageCount;
  if (!pageReadable_) return page;

  // The page's colours lie just before the next page, or before the end of
  // the file; never inside this page's header.
  int64_t next = page + 1 < pageCount ? int64_t{dcxBase} + pageTable[2 + page] : length;
  int64_t at = next - kPaletteSize;
  bool found = next <= length && at >= dataOffset && ReadTrailingPalette(at);
  if (!found && frameRecord.depth * frameRecord.planes > 8) frameRecord.palette = nullptr;
  return page;
}

int32_t mImageDCX::ReadFrame(int x, int y, const RECT* clip) {
  if (pageTable[0] != kMagic && !ReadHeader()) return -1;
  if (!pageReadable_) return -1;
  return mImagePCX::ReadFrame(x, y, clip);
}

int32_t mImageDCX::WriteHeader() {
  ReportError(kClassImageDCX, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mImageDCX::WriteFrame(int, int, const RECT*) {
  ReportError(kClassImageDCX, kErrNotImplemented, nullptr);
  return 0;
}
