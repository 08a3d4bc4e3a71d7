// RIFF chunk navigation of mFile: a stack of container ends and the last chunk found.
#include "media/file.h"

#include "byte_order/little_endian.h"

namespace {

// End of a chunk whose header is at position: data padded to even, plus the header.
uint64_t ChunkEnd(uint32_t position, uint32_t size) {
  return static_cast<uint64_t>(position) + ((static_cast<uint64_t>(size) + 1) & ~uint64_t{1}) + 8;
}

}  // namespace

bool mFile::RiffDescend(uint32_t form) {
  if (!fileState.isOpen) return false;
  if (!EnsureBytes(12)) return false;
  const uint8_t* p = fileState.readPtr;
  if (ReadLe32(p) != FourCC("RIFF")) return false;
  chunkDepth = 0;
  uint64_t end = static_cast<uint64_t>(ReadLe32(p + 4)) + 8;
  chunkEnds[0] = end > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(end);
  if (ReadLe32(p + 8) != form) return false;
  fileState.readPtr += 12;
  fileState.position = Tell();
  return true;
}

bool mFile::FindChunk(uint32_t id) {
  if (!fileState.isOpen) return false;
  // Every step moves forward by at least a header, and stops at the container's end.
  for (;;) {
    if (!EnsureBytes(8)) return false;
    const uint8_t* p = fileState.readPtr;
    if (ReadLe32(p) == id) {
      uint32_t position = static_cast<uint32_t>(Tell());
      lastChunkSize = ReadLe32(p + 4);
      uint64_t end = ChunkEnd(position, lastChunkSize);
      lastChunkEnd = end > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(end);
      fileState.readPtr += 8;
      fileState.position = Tell();
      return true;
    }
    if (!NextChunk()) return false;
  }
}

bool mFile::NextChunk() {
  if (!fileState.isOpen || !EnsureBytes(8)) return false;
  uint32_t position = static_cast<uint32_t>(Tell());
  uint64_t end = ChunkEnd(position, ReadLe32(fileState.readPtr + 4));
  uint32_t limit = chunkEnds[chunkDepth];
  if (limit >= end) {
    if (end > 0x7FFFFFFF) return false;
    return Seek(static_cast<int32_t>(end), 0) >= 0;
  }
  if (limit <= 0x7FFFFFFF) Seek(static_cast<int32_t>(limit), 0);
  return false;
}

bool mFile::ListDescend(uint32_t type) {
  for (;;) {
    if (!FindChunk(FourCC("LIST"))) return false;
    if (!EnsureBytes(4)) return false;
    if (ReadLe32(fileState.readPtr) == type) {
      // The stack holds the RIFF chunk and nine lists; a deeper list is not entered.
      if (chunkDepth + 1 >= kMaxContainers) return false;
      chunkDepth += 1;
      chunkEnds[chunkDepth] = lastChunkEnd;
      fileState.readPtr += 4;
      fileState.position = Tell();
      return true;
    }
    if (lastChunkEnd > 0x7FFFFFFF || Seek(static_cast<int32_t>(lastChunkEnd), 0) < 0) return false;
  }
}

int32_t mFile::ChunkAscend() {
  uint32_t end = chunkEnds[chunkDepth];
  int32_t reached = end > 0x7FFFFFFF ? -1 : Seek(static_cast<int32_t>(end), 0);
  if (chunkDepth > 0) chunkDepth -= 1;
  return reached;
}

int32_t mFile::ChunkSkip() {
  if (lastChunkEnd > 0x7FFFFFFF) return -1;
  return Seek(static_cast<int32_t>(lastChunkEnd), 0);
}
