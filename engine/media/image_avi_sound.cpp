// mImageAVI: the movie's sound. Each audio chunk goes straight from the file
// into the free wave buffers; what finds none free waits in a bounded queue
// and goes out, in file order, as the device hands buffers back.
#include <algorithm>
#include <cstring>

#include "byte_order/little_endian.h"
#include "media/image_avi.h"

namespace {

// The queue holds this much of the sound at most, besides kMaxQueueBytes.
constexpr uint32_t kQueueMs = 4000;

}  // namespace

int32_t mImageAVI::StreamPlay(int32_t length, int32_t loops) {
  // Sound left waiting from an earlier playing belongs to no buffer now.
  if (!Playing()) queueHead = queueTail = 0;
  return mAudioWAV::StreamPlay(length, loops);
}

void mImageAVI::FreeSoundQueue() {
  if (queueBlock) {
    GlobalUnlock(queueBlock);
    GlobalFree(queueBlock);
  }
  queueBlock = nullptr;
  queue = nullptr;
  queueCapacity = queueHead = queueTail = 0;
}

void mImageAVI::BufferReturned() { SendQueuedSound(); }

void mImageAVI::SendQueuedSound() {
  while (queueHead < queueTail && BufferFree()) {
    uint32_t n = std::min(queueTail - queueHead, bufferSize);
    SubmitNext(queue + queueHead, n);
    queueHead += n;
  }
  if (queueHead == queueTail) queueHead = queueTail = 0;
}

// The next `size` bytes of the file join the queue as far as it has room;
// the rest of them is lost.
void mImageAVI::QueueSound(uint32_t size) {
  if (!queue) {
    uint32_t capacity = std::min(kMaxQueueBytes, std::max(TimeToBytes(kQueueMs, 0, 0), bufferSize));
    queueBlock = GlobalAlloc(GMEM_MOVEABLE, capacity);
    queue = queueBlock ? static_cast<uint8_t*>(GlobalLock(queueBlock)) : nullptr;
    if (!queue) {
      if (queueBlock) GlobalFree(queueBlock);
      queueBlock = nullptr;
      return;  // the sound has a gap; the movie goes on
    }
    queueCapacity = capacity;
  }
  if (queueCapacity - queueTail < size && queueHead > 0) {
    std::memmove(queue, queue + queueHead, queueTail - queueHead);
    queueTail -= queueHead;
    queueHead = 0;
  }
  uint32_t n = std::min(size, queueCapacity - queueTail);
  int32_t got = n > 0 ? Read(queue + queueTail, static_cast<int32_t>(n)) : 0;
  if (got > 0) queueTail += static_cast<uint32_t>(got);
}

void mImageAVI::PassAudioChunk() {
  FindChunk(audioChunkId);
  if (!Playing()) {
    queueHead = queueTail = 0;
  } else if (remaining > 0) {
    // Sound that waits goes first, so the chunks are heard in file order.
    SendQueuedSound();
    uint32_t left = static_cast<uint32_t>(std::clamp<int64_t>(std::min<int64_t>(lastChunkEnd, DataLength()) - Tell(),
                                                              0, lastChunkSize));
    while (left > 0 && queueHead == queueTail && BufferFree()) {
      uint32_t n = std::min(left, bufferSize);
      int32_t before = Tell();
      FillBuffer(n);
      SetBuffer(nullptr, 0, 0);
      uint32_t taken = static_cast<uint32_t>(std::max(Tell() - before, 0));
      if (taken == 0) break;
      left -= std::min(left, taken);
    }
    if (left > 0 && remaining > 0) QueueSound(left);
  }
  SkipChunk();
}

// The sound that follows the last frame is passed with it: no frame comes
// after to pass it.
void mImageAVI::PassTrailingSound() {
  while (Playing() && stream.length > 0) {
    if (fileState.bufferEnd - fileState.readPtr < 12) Refill(fileState.readPtr);
    if (fileState.dataEnd - fileState.readPtr < 8) return;
    const uint32_t code = ReadLe32(fileState.readPtr);
    const int32_t before = Tell();
    if (code != audioChunkId) return;
    PassAudioChunk();
    if (Tell() <= before) return;
  }
}
