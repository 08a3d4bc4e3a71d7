#include "media/file.h"

#include <cstdlib>
#include <cstring>

namespace {

// The name is padded so that the I/O record after it is aligned for its pointers.
int32_t RoundUpRecord(int32_t n) { return (n + 7) & ~7; }

// Slack after the buffer: the keyword reader may end a line exactly at the
// buffer's end and terminates it there.
constexpr int32_t kTailSlack = 4;

}  // namespace

mFile::mFile() { ResetState(); }

mFile::~mFile() {
  if (fileState.isOpen) {
    ReportWarning(kClassFile, kErrFileNotClosed, Detail());
    Close();
  }
  std::free(textCopy_);
}

void mFile::ResetState() {
  std::memset(&fileState, 0, sizeof fileState);
  fileState.bufferSize = kDefaultBufferSize;
  fileState.backSize = kDefaultBackSize;
}

void mFile::EmptyWindow() {
  fileState.readPtr = fileState.windowFirst = fileState.dataEnd = fileState.bufferEnd;
}

// Gives the platform the current buffer and takes its record back.
void mFile::InstallBuffer() {
  mmioSetBuffer(fileState.handle, reinterpret_cast<LPSTR>(fileState.bufferStart),
                static_cast<LONG>(fileState.bufferEnd - fileState.bufferStart), 0);
  mmioGetInfo(fileState.handle, fileState.ioInfo, 0);
}

bool mFile::Open(const char* name, DWORD openFlags) {
  if (!name) name = "";
  int32_t nameBytes = RoundUpRecord(static_cast<int32_t>(std::strlen(name)) + 1);
  int32_t ioBytes = RoundUpRecord(static_cast<int32_t>(sizeof(MMIOINFO)));
  SIZE_T total = static_cast<SIZE_T>(nameBytes) + ioBytes + fileState.backSize + fileState.bufferSize + kTailSlack;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, total);
  if (!block) {
    ReportError(kClassFile, kErrOutOfMemory, name);
    return false;
  }
  auto* base = static_cast<uint8_t*>(GlobalLock(block));
  if (!base) {
    ReportError(kClassFile, kErrMemLock, name);
    GlobalFree(block);
    return false;
  }
  HMMIO handle = mmioOpenA(const_cast<LPSTR>(name), nullptr, openFlags);
  if (!handle) {
    ReportError(kClassFile, kErrFileOpen, name);
    GlobalUnlock(block);
    GlobalFree(block);
    fileState.size = 0;
    fileState.isOpen = 0;
    return false;
  }
  block_ = block;
  std::memcpy(base, name, std::strlen(name) + 1);
  fileState.name = reinterpret_cast<char*>(base);
  fileState.handle = handle;
  fileState.ioInfo = reinterpret_cast<MMIOINFO*>(base + nameBytes);
  std::memset(fileState.ioInfo, 0, sizeof(MMIOINFO));
  LONG end = mmioSeek(handle, 0, SEEK_END);
  fileState.size = end > 0 ? end : 0;
  mmioSeek(handle, 0, SEEK_SET);
  fileState.position = fileState.firstPos = 0;

  fileState.areaBase = base + nameBytes + ioBytes;
  fileState.bufferStart = fileState.areaBase + fileState.backSize;
  fileState.bufferEnd = fileState.bufferStart + fileState.bufferSize;
  fileState.isOpen = 1;
  InstallBuffer();
  EmptyWindow();
  fileState.flags = 0;
  return true;
}

bool mFile::OpenMemory(const void* block, int32_t length) {
  // No block at all is an empty one: the pointers must still point somewhere.
  static uint8_t noBytes[1];
  if (length < 0 || !block) length = 0;
  auto* p = block ? static_cast<uint8_t*>(const_cast<void*>(block)) : noBytes;
  fileState.areaBase = fileState.bufferStart = fileState.windowFirst = fileState.readPtr = p;
  fileState.dataEnd = p + length;
  // One past the data, so that the end of the data is told from a full buffer.
  fileState.bufferEnd = p + length + 1;
  fileState.position = fileState.firstPos = 0;
  fileState.isOpen = 1;
  fileState.flags |= kMemoryBlock;
  return true;
}

uint8_t* mFile::Refill(uint8_t* keep) {
  State& s = fileState;
  if (!s.isOpen) {
    ReportError(kClassFile, kErrFileRead, Detail());
    return nullptr;
  }
  // A memory block is the whole file already: its end stays where it is, and
  // callers see it as the end of the data.
  if (s.flags & kMemoryBlock) return s.readPtr;

  s.firstPos += static_cast<int32_t>(s.dataEnd - s.windowFirst);
  s.windowFirst = s.bufferStart;
  if (keep) {
    int32_t n = static_cast<int32_t>(s.dataEnd - keep);
    if (n > 0) {
      // Only as much as the installed buffer has room for in front of it.
      int32_t room = static_cast<int32_t>(s.bufferStart - s.areaBase);
      if (n > room || n > s.backSize || keep < s.areaBase) {
        ReportError(kClassFile, kErrOutOfRange, "Wrap Block");
      } else {
        std::memmove(s.bufferStart - n, keep, static_cast<size_t>(n));
        s.windowFirst -= n;
        s.firstPos -= n;
      }
    }
  }
  if (mmioAdvance(s.handle, s.ioInfo, MMIO_READ) != MMSYSERR_NOERROR)
    ReportError(kClassFile, kErrFileRead, Detail());
  // The platform regards the whole buffer as consumed; the window keeps its own pointer.
  s.ioInfo->pchNext = s.ioInfo->pchEndRead;
  s.dataEnd = reinterpret_cast<uint8_t*>(s.ioInfo->pchEndRead);
  if (s.dataEnd < s.bufferStart || s.dataEnd > s.bufferEnd) s.dataEnd = s.bufferStart;
  s.position = s.firstPos;
  s.readPtr = s.windowFirst;
  return s.readPtr;
}

int32_t mFile::Read(void* dst, int32_t count) {
  State& s = fileState;
  if (!s.isOpen) {
    ReportError(kClassFile, kErrFileRead, Detail());
    return 0;
  }
  if (count <= 0 || !dst) return 0;
  auto* out = static_cast<uint8_t*>(dst);
  int32_t available = static_cast<int32_t>(s.dataEnd - s.readPtr);
  if (available == 0 && s.dataEnd != s.bufferEnd) return -1;

  int32_t rest = count;
  int32_t copied = 0;
  while (rest > available) {
    if (available > 0) std::memcpy(out + copied, s.readPtr, static_cast<size_t>(available));
    copied += available;
    rest -= available;
    s.readPtr = s.dataEnd;
    Refill(nullptr);
    available = static_cast<int32_t>(s.dataEnd - s.readPtr);
    if (available == 0) {
      s.position = Tell();
      return copied > 0 ? copied : -1;
    }
  }
  std::memcpy(out + copied, s.readPtr, static_cast<size_t>(rest));
  s.readPtr += rest;
  s.position = Tell();
  return count;
}

int32_t mFile::Write(const void* src, int32_t count) {
  State& s = fileState;
  if (!s.isOpen) {
    ReportError(kClassFile, kErrFileWrite, Detail());
    return 0;
  }
  if (s.flags & kMemoryBlock) return -1;
  mmioSetInfo(s.handle, s.ioInfo, 0);
  LONG written = mmioWrite(s.handle, static_cast<const char*>(src), count);
  mmioGetInfo(s.handle, s.ioInfo, 0);
  if (written > 0) {
    s.firstPos += written;
    s.position = s.firstPos;
    if (s.firstPos > s.size) s.size = s.firstPos;
  }
  return written;
}

int32_t mFile::Seek(int32_t offset, int origin) {
  State& s = fileState;
  if (!s.isOpen) {
    ReportError(kClassFile, kErrFileSeek, Detail());
    return -1;
  }
  int64_t target = offset;
  if (origin == 1) target += Tell();
  else if (origin == 2) target += s.size;

  int64_t windowLength = s.dataEnd - s.windowFirst;
  if (target >= s.firstPos && target < s.firstPos + windowLength) {
    s.readPtr = s.windowFirst + (target - s.firstPos);
    s.position = static_cast<int32_t>(target);
    return s.position;
  }
  if (s.flags & kMemoryBlock) {
    // The block is the whole file: its end is a place too, beyond it nothing.
    if (target != s.firstPos + windowLength) {
      ReportError(kClassFile, kErrFileSeek, Detail());
      return -1;
    }
    s.readPtr = s.dataEnd;
    s.position = static_cast<int32_t>(target);
    return s.position;
  }
  if (target < 0 || target > 0x7FFFFFFF) {
    ReportError(kClassFile, kErrFileSeek, Detail());
    return -1;
  }
  mmioSetInfo(s.handle, s.ioInfo, 0);
  LONG reached = mmioSeek(s.handle, static_cast<LONG>(target), SEEK_SET);
  if (reached < 0) {
    mmioGetInfo(s.handle, s.ioInfo, 0);
    ReportError(kClassFile, kErrFileSeek, Detail());
    return -1;
  }
  s.firstPos = reached;
  InstallBuffer();
  EmptyWindow();
  s.position = static_cast<int32_t>(target);
  return s.position;
}

void mFile::SetBuffer(void* buffer, int32_t size, int32_t back) {
  State& s = fileState;
  if (!s.isOpen || (s.flags & kMemoryBlock)) return;
  mmioSetInfo(s.handle, s.ioInfo, 0);
  if (s.readPtr == s.dataEnd) {
    s.firstPos += static_cast<int32_t>(s.dataEnd - s.windowFirst);
  } else {
    int32_t logical = Tell();
    mmioSeek(s.handle, logical, SEEK_SET);
    s.firstPos = logical;
  }
  s.position = s.firstPos;
  if (!buffer) {
    // The object's own area sits right after the I/O record.
    s.areaBase = reinterpret_cast<uint8_t*>(s.ioInfo) + RoundUpRecord(static_cast<int32_t>(sizeof(MMIOINFO)));
    s.bufferSize = kDefaultBufferSize;
    s.backSize = kDefaultBackSize;
    s.bufferStart = s.areaBase + s.backSize;
    s.bufferEnd = s.bufferStart + s.bufferSize;
  } else {
    if (size < 0) size = 0;
    if (back < 0) back = 0;
    s.areaBase = static_cast<uint8_t*>(buffer);
    s.bufferStart = s.areaBase + back;
    s.bufferEnd = s.bufferStart + size;
  }
  InstallBuffer();
  EmptyWindow();
}

void mFile::Close() {
  State& s = fileState;
  if (s.isOpen && !(s.flags & kMemoryBlock) && s.handle) mmioClose(s.handle, 0);
  if (block_) {
    GlobalUnlock(block_);
    GlobalFree(block_);
    block_ = nullptr;
  }
  std::free(textCopy_);
  textCopy_ = nullptr;
  ResetState();
}
