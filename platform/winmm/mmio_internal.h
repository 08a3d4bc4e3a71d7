// Buffered multimedia file I/O over POSIX files: the state behind an HMMIO.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace plat::mmio {

struct Stream {
  int fd = -1;
  MMIOINFO info{};      // the record mmioGetInfo hands out
  char* ownBuffer = nullptr;  // buffer we allocated (MMIO_ALLOCBUF or mmioSetBuffer with none)
  bool bufferLoaded = false;  // the buffer holds the file bytes from lBufOffset on
};

// The stream behind a handle this process opened and has not closed; null otherwise.
Stream* Find(HMMIO handle);

// Writes the dirty part of the buffer to the file. False on a write error.
bool WriteOut(Stream* stream);

// Empties the buffer at the file's current position (lDiskOffset).
void EmptyBuffer(Stream* stream);

// Empties the buffer and fills it from the file at lDiskOffset. False on a read error.
bool FillBuffer(Stream* stream);

// Logical position: where the next mmioRead or mmioWrite starts.
LONG LogicalPosition(const Stream* stream);

}  // namespace plat::mmio
