// mmioOpenA, mmioClose, mmioRead, mmioWrite, mmioSeek over POSIX files.
#include <fcntl.h>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/lifecycle.h"
#include "core/trace.h"
#include "winmm/mmio_internal.h"

namespace plat::mmio {
namespace {

std::vector<Stream*>& OpenStreams() {
  static std::vector<Stream*> streams;
  return streams;
}

void Destroy(Stream* stream) {
  if (stream->fd >= 0) close(stream->fd);
  std::free(stream->ownBuffer);
  delete stream;
}

// Host shutdown closes what the program left open.
void CloseAll() {
  for (Stream* stream : OpenStreams()) {
    WriteOut(stream);
    Destroy(stream);
  }
  OpenStreams().clear();
}

int OpenFlagsFor(DWORD fdwOpen) {
  int flags = O_RDONLY;
  switch (fdwOpen & MMIO_RWMODE) {
    case MMIO_WRITE:
      flags = O_WRONLY;
      break;
    case MMIO_READWRITE:
      flags = O_RDWR;
      break;
    default:
      break;
  }
  if (fdwOpen & MMIO_CREATE) flags |= O_CREAT | O_TRUNC;
  return flags | O_CLOEXEC;
}

UINT ErrorFromErrno() {
  return errno == ENOENT ? MMIOERR_FILENOTFOUND : MMIOERR_CANNOTOPEN;
}

}  // namespace

Stream* Find(HMMIO handle) {
  if (!handle) return nullptr;
  for (Stream* stream : OpenStreams())
    if (reinterpret_cast<HMMIO>(stream) == handle) return stream;
  return nullptr;
}

}  // namespace plat::mmio

using plat::mmio::Stream;

HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen) {
  auto fail = [&](UINT error) -> HMMIO {
    if (pmmioinfo) pmmioinfo->wErrorRet = error;
    return nullptr;
  };
  if (pmmioinfo && pmmioinfo->pIOProc) {
    PLAT_FIXME("mmioOpenA: the program's own I/O procedure");
    return fail(MMSYSERR_NOTSUPPORTED);
  }
  if (pmmioinfo && pmmioinfo->fccIOProc != 0 && pmmioinfo->fccIOProc != mmioFOURCC('D', 'O', 'S', ' ')) {
    PLAT_FIXME("mmioOpenA: I/O procedure %08lx", static_cast<unsigned long>(pmmioinfo->fccIOProc));
    return fail(MMSYSERR_NOTSUPPORTED);
  }
  if (fdwOpen & (MMIO_PARSE | MMIO_GETTEMP))
    PLAT_FIXME("mmioOpenA: flags %08lx open the file", static_cast<unsigned long>(fdwOpen & (MMIO_PARSE | MMIO_GETTEMP)));
  if (!pszFileName || pszFileName[0] == '\0') return fail(MMIOERR_FILENOTFOUND);

  if (fdwOpen & MMIO_DELETE) {
    if (unlink(pszFileName) != 0) return fail(MMIOERR_FILENOTFOUND);
    return reinterpret_cast<HMMIO>(static_cast<intptr_t>(1));  // TRUE, as the real call answers
  }
  if (fdwOpen & MMIO_EXIST) {
    struct stat st;
    if (stat(pszFileName, &st) != 0) return fail(MMIOERR_FILENOTFOUND);
    return reinterpret_cast<HMMIO>(static_cast<intptr_t>(1));
  }

  int fd = open(pszFileName, plat::mmio::OpenFlagsFor(fdwOpen), 0644);
  if (fd < 0) return fail(plat::mmio::ErrorFromErrno());

  auto* stream = new Stream;
  stream->fd = fd;
  MMIOINFO& info = stream->info;
  info.dwFlags = fdwOpen & ~(MMIO_ALLOCBUF | MMIO_DIRTY);
  info.fccIOProc = mmioFOURCC('D', 'O', 'S', ' ');
  info.hmmio = reinterpret_cast<HMMIO>(stream);
  plat::RegisterReset(plat::mmio::CloseAll);
  plat::mmio::OpenStreams().push_back(stream);

  // Buffering: a caller's buffer, one we allocate, or none.
  LONG size = pmmioinfo ? pmmioinfo->cchBuffer : 0;
  MMRESULT result = MMSYSERR_NOERROR;
  if (pmmioinfo && pmmioinfo->pchBuffer && size > 0) {
    result = mmioSetBuffer(info.hmmio, pmmioinfo->pchBuffer, size, 0);
  } else if (fdwOpen & MMIO_ALLOCBUF) {
    result = mmioSetBuffer(info.hmmio, nullptr, size > 0 ? size : MMIO_DEFAULTBUFFER, 0);
  }
  if (result != MMSYSERR_NOERROR) {
    mmioClose(info.hmmio, 0);
    return fail(result);
  }
  if (pmmioinfo) {
    *pmmioinfo = info;
    pmmioinfo->wErrorRet = 0;
  }
  return info.hmmio;
}

MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT fuClose) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return MMSYSERR_INVALHANDLE;
  bool written = plat::mmio::WriteOut(stream);
  auto& streams = plat::mmio::OpenStreams();
  streams.erase(std::find(streams.begin(), streams.end(), stream));
  plat::mmio::Destroy(stream);
  return written ? MMSYSERR_NOERROR : MMIOERR_CANNOTWRITE;
}

LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream || cch < 0 || (!pch && cch > 0)) return -1;
  MMIOINFO& info = stream->info;
  if (!info.pchBuffer) {
    if (lseek(stream->fd, info.lDiskOffset, SEEK_SET) < 0) return -1;
    LONG got = 0;
    while (got < cch) {
      ssize_t n = read(stream->fd, pch + got, static_cast<size_t>(cch - got));
      if (n < 0) return -1;
      if (n == 0) break;
      got += static_cast<LONG>(n);
    }
    info.lDiskOffset += got;
    return got;
  }
  LONG done = 0;
  while (done < cch) {
    LONG available = static_cast<LONG>(info.pchEndRead - info.pchNext);
    if (available <= 0) {
      if (mmioAdvance(hmmio, nullptr, MMIO_READ) != MMSYSERR_NOERROR) return done > 0 ? done : -1;
      available = static_cast<LONG>(info.pchEndRead - info.pchNext);
      if (available <= 0) break;  // end of file
    }
    LONG n = std::min(available, cch - done);
    std::memcpy(pch + done, info.pchNext, static_cast<size_t>(n));
    info.pchNext += n;
    done += n;
  }
  return done;
}

LONG WINAPI mmioWrite(HMMIO hmmio, const char* pch, LONG cch) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream || cch < 0 || (!pch && cch > 0)) return -1;
  MMIOINFO& info = stream->info;
  if (!info.pchBuffer) {
    if (lseek(stream->fd, info.lDiskOffset, SEEK_SET) < 0) return -1;
    LONG put = 0;
    while (put < cch) {
      ssize_t n = write(stream->fd, pch + put, static_cast<size_t>(cch - put));
      if (n <= 0) return put > 0 ? put : -1;
      put += static_cast<LONG>(n);
    }
    info.lDiskOffset += put;
    return put;
  }
  LONG done = 0;
  while (done < cch) {
    LONG room = static_cast<LONG>(info.pchEndWrite - info.pchNext);
    if (room <= 0) {
      if (mmioAdvance(hmmio, nullptr, MMIO_WRITE) != MMSYSERR_NOERROR) return done > 0 ? done : -1;
      room = static_cast<LONG>(info.pchEndWrite - info.pchNext);
      if (room <= 0) return done > 0 ? done : -1;
    }
    LONG n = std::min(room, cch - done);
    std::memcpy(info.pchNext, pch + done, static_cast<size_t>(n));
    info.pchNext += n;
    if (info.pchNext > info.pchEndRead) info.pchEndRead = info.pchNext;
    info.dwFlags |= MMIO_DIRTY;
    stream->bufferLoaded = true;
    done += n;
  }
  return done;
}

LONG WINAPI mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
  Stream* stream = plat::mmio::Find(hmmio);
  if (!stream) return -1;
  MMIOINFO& info = stream->info;
  LONG current = plat::mmio::LogicalPosition(stream);
  long long target;
  switch (iOrigin) {
    case SEEK_SET:
      target = lOffset;
      break;
    case SEEK_CUR:
      target = static_cast<long long>(current) + lOffset;
      break;
    case SEEK_END: {
      if (!plat::mmio::WriteOut(stream)) return -1;
      off_t end = lseek(stream->fd, 0, SEEK_END);
      if (end < 0) return -1;
      target = static_cast<long long>(end) + lOffset;
      break;
    }
    default:
      return -1;
  }
  if (target < 0 || target > 0x7FFFFFFF) return -1;

  // Inside the bytes the buffer holds: just move the next-byte pointer.
  if (info.pchBuffer && stream->bufferLoaded && target >= info.lBufOffset &&
      target <= info.lBufOffset + (info.pchEndRead - info.pchBuffer)) {
    info.pchNext = info.pchBuffer + (target - info.lBufOffset);
    return static_cast<LONG>(target);
  }
  if (!plat::mmio::WriteOut(stream)) return -1;
  if (lseek(stream->fd, static_cast<off_t>(target), SEEK_SET) < 0) return -1;
  info.lDiskOffset = static_cast<LONG>(target);
  if (info.pchBuffer) plat::mmio::EmptyBuffer(stream);
  return static_cast<LONG>(target);
}
