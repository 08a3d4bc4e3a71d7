// The I/O buffer of an mmio stream and the calls that hand it to the caller:
// mmioGetInfo, mmioSetInfo, mmioAdvance, mmioSetBuffer, mmioFlush.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "winmm/mmio_internal.h"

namespace plat::mmio {

LONG LogicalPosition(const Stream* stream) {
  const MMIOINFO& info = stream->info;
  if (info.cchBuffer == 0 || info.pchBuffer == nullptr) return info.lDiskOffset;
  return info.lBufOffset + static_cast<LONG>(info.pchNext - info.pchBuffer);
}

bool WriteOut(Stream* stream) {
  MMIOINFO& info = stream->info;
  if (!(info.dwFlags & MMIO_DIRTY)) return true;
  info.dwFlags &= ~MMIO_DIRTY;
  // The dirty bytes run from the buffer start to the furthest byte written.
  HPSTR end = info.pchNext > info.pchEndRead ? info.pchNext : info.pchEndRead;
  long count = end - info.pchBuffer;
  if (count <= 0) return true;
  if (lseek(stream->fd, info.lBufOffset, SEEK_SET) < 0) return false;
  const char* p = info.pchBuffer;
  while (count > 0) {
    ssize_t done = write(stream->fd, p, static_cast<size_t>(count));
    if (done <= 0) return false;
    p += done;
    count -= done;
  }
  info.lDiskOffset = static_cast<LONG>(lseek(stream->fd, 0, SEEK_CUR));
  return true;
}

void EmptyBuffer(Stream* stream) {
  MMIOINFO& info = stream->info;
  info.lBufOffset = info.lDiskOffset;
  info.pchNext = info.pchBuffer;
  info.pchEndRead = info.pchBuffer;
  info.pchEndWrite = info.pchBuffer ? info.pchBuffer + info.cchBuffer : nullptr;
  stream->bufferLoaded = false;
}

bool FillBuffer(Stream* stream) {
  EmptyBuffer(stream);
  MMIOINFO& info = stream->info;
  if (!info.pchBuffer || info.cchBuffer <= 0) return true;
  if (lseek(stream->fd, info.lDiskOffset, SEEK_SET) < 0) return false;
  long got = 0;
  while (got < info.cchBuffer) {
    ssize_t n = read(stream->fd, info.pchBuffer + got, static_cast<size_t>(info.cchBuffer - got));
    if (n < 0) return false;
    if (n == 0) break;
    got += n;
  }
  info.pchEndRead = info.pchBuffer + got;
  info.lDiskOffset += static_cast<LONG>(got);
  stream->bufferLoaded = true;
  return true;
}

namespace {

// Takes the caller's view of the buffer back: how far it read or wrote.
void TakeCallerState(Stream* stream, const MMIOINFO* from) {
  MMIOINFO& info = stream->info;
  if (from->pchBuffer != info.pchBuffer) return;  // a record of another buffer: ignore its pointers
  if (from->pchNext >= info.pchBuffer && from->pchNext <= info.pchEndWrite) info.pchNext = from->pchNext;
  if (from->pchEndRead >= info.pchBuffer && from->pchEndRead <= info.pchEndWrite)
    info.pchEndRead = from->pchEndRead;
  info.dwFlags = (info.dwFlags & ~MMIO_DIRTY) | (from->dwFlags & MMIO_DIRTY);
  // Bytes written beyond the data read extend it.
  if ((info.dwFlags & MMIO_DIRTY) && info.pchNext > info.pchEndRead) info.pchEndRead = info.pchNext;
  std::memcpy(info.adwInfo, from->adwInfo, sizeof info.adwInfo);
}

}  // namespace

}  // namespace plat::mmio

using plat::mmio::Stream;

MMRESULT WINAPI mmioGetInfo(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuInfo) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  if (!pmmioinfo) return MMSYSERR_INVALPARAM;
  *pmmioinfo = stream->info;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioSetInfo(HMMIO hmmio, LPCMMIOINFO pmmioinfo, UINT fuInfo) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  if (!pmmioinfo) return MMSYSERR_INVALPARAM;
  plat::mmio::TakeCallerState(stream, pmmioinfo);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioAdvance(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuAdvance) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  MMIOINFO& info = stream->info;
  if (!info.pchBuffer || info.cchBuffer <= 0) return MMIOERR_UNBUFFERED;
  if (fuAdvance != MMIO_READ && fuAdvance != MMIO_WRITE) return MMSYSERR_INVALFLAG;
  if (pmmioinfo) plat::mmio::TakeCallerState(stream, pmmioinfo);

  // The next buffer starts right after the current one.
  LONG next = info.lBufOffset + static_cast<LONG>(
                  (info.pchEndRead > info.pchNext ? info.pchEndRead : info.pchNext) - info.pchBuffer);
  MMRESULT result = MMSYSERR_NOERROR;
  if (!plat::mmio::WriteOut(stream)) result = MMIOERR_CANNOTWRITE;
  info.lDiskOffset = next;
  if (fuAdvance == MMIO_READ) {
    if (!plat::mmio::FillBuffer(stream)) result = MMIOERR_CANNOTREAD;
  } else {
    plat::mmio::EmptyBuffer(stream);
  }
  if (pmmioinfo) {
    pmmioinfo->pchNext = info.pchNext;
    pmmioinfo->pchEndRead = info.pchEndRead;
    pmmioinfo->pchEndWrite = info.pchEndWrite;
    pmmioinfo->lBufOffset = info.lBufOffset;
    pmmioinfo->lDiskOffset = info.lDiskOffset;
    pmmioinfo->dwFlags = info.dwFlags;
  }
  return result;
}

MMRESULT WINAPI mmioFlush(HMMIO hmmio, UINT fuFlush) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  LONG position = plat::mmio::LogicalPosition(stream);
  if (!plat::mmio::WriteOut(stream)) return MMIOERR_CANNOTWRITE;
  if (fuFlush & MMIO_EMPTYBUF) {
    stream->info.lDiskOffset = position;
    plat::mmio::EmptyBuffer(stream);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioSetBuffer(HMMIO hmmio, LPSTR pchBuffer, LONG cchBuffer, UINT fuBuffer) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  if (cchBuffer < 0) return MMSYSERR_INVALPARAM;
  MMIOINFO& info = stream->info;
  LONG position = plat::mmio::LogicalPosition(stream);
  if (!plat::mmio::WriteOut(stream)) return MMIOERR_CANNOTWRITE;

  char* own = nullptr;
  if (!pchBuffer && cchBuffer > 0) {
    own = static_cast<char*>(std::calloc(1, static_cast<size_t>(cchBuffer)));
    if (!own) return MMIOERR_OUTOFMEMORY;
  }
  std::free(stream->ownBuffer);
  stream->ownBuffer = own;
  if (cchBuffer == 0) {
    info.pchBuffer = nullptr;
    info.dwFlags &= ~MMIO_ALLOCBUF;
  } else {
    info.pchBuffer = own ? own : pchBuffer;
    if (own) info.dwFlags |= MMIO_ALLOCBUF;
    else info.dwFlags &= ~MMIO_ALLOCBUF;
  }
  info.cchBuffer = info.pchBuffer ? cchBuffer : 0;
  info.lDiskOffset = position;
  plat::mmio::EmptyBuffer(stream);
  return MMSYSERR_NOERROR;
}
