// mImageAVI: the frames of an AVI movie through a Video for Windows
// decompressor into an 8-bit frame bitmap, drawn like every other image. The
// movie's sound plays through the mAudioWAV machinery, fed chunk by chunk as
// ReadFrame passes the audio chunks.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <cstdint>

#include "media/audio_wav.h"
#include "media/image_file.h"
#include "stage/bitmap.h"

class mImageAVI : public mImageFile, public mAudioWAV {
 public:
  // A "strf" copy holds a BITMAPINFOHEADER and at most 256 colours.
  static constexpr uint32_t kVideoFormatMax = 40 + 256 * 4;
  // Above this the priority of SetPosition no longer loses to a stream's own.
  static constexpr int32_t kChosenPriority = 99;

  mImageAVI();
  ~mImageAVI() override;

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t frame, int origin) override;
  void UpdateTranslation() override;
  BOOL SetTransparent(BOOL flag) override;
  uint32_t SetTransparentColour(uint32_t index) override;
  BOOL SetRemap(BOOL flag) override;
  int32_t SetPosition(int32_t position) override;
  int32_t StreamPlay(int32_t length, int32_t loops) override;

  const mBitmap* FrameBitmap() const { return &frameBitmap; }
  // ICDecompress calls so far, silent ones included.
  int32_t FramesDecoded() const { return framesDecoded; }
  // Sound bytes read from the movie that wait for a free wave buffer.
  uint32_t QueuedSound() const { return queueTail - queueHead; }
  // At most this much sound waits (and never more than 4 s of it).
  static constexpr uint32_t kMaxQueueBytes = 1 << 20;

  int32_t moviStart = 0;
  int32_t indexStart = 0;  // first "idx1" entry; 0 without an index
  MainAVIHeader mainHeader;
  int32_t audioPriority = 0;
  int32_t videoPriority = 0;
  int32_t audioStream = 0;
  int32_t videoStream = 0;
  uint32_t audioChunkId = 0;
  uint32_t videoChunkPrefix = 0;  // two digits, the first in the low byte
  HGLOBAL videoFormatBlock = nullptr;
  BITMAPINFOHEADER* videoFormat = nullptr;
  HIC decompressor = nullptr;
  mBitmap frameBitmap;
  int32_t frameBufferSize = 0;
  HGLOBAL frameBufferBlock = nullptr;
  uint8_t* frameBuffer = nullptr;
  int32_t decodedFrame = -1;
  BOOL silent = FALSE;
  BOOL autoKey = TRUE;

 private:
  bool ReadStreamList(int index);
  bool TakeVideoStream(int index, const AVIStreamHeader& header, uint32_t formatSize);
  void TakeAudioStream(int index, const AVIStreamHeader& header, uint32_t formatSize);
  bool CheckVideoFormat(const BITMAPINFOHEADER* format, uint32_t copied) const;
  void FreeVideo();
  void CloseDecompressor();
  bool AllocateFrameBuffer(uint32_t size);
  uint32_t FrameChunkLimit() const;

  // ReadFrame's steps.
  bool ReadNextFrameChunk(uint32_t* delivered);
  uint32_t ReadChunkData(uint8_t* destination, uint32_t size);
  void PassAudioChunk();
  void PassTrailingSound();
  void ApplyPaletteChange();
  void SkipChunk();
  int32_t DataLength() const;
  // Back to the first movie chunk with no frame decoded and the stream's own colours.
  void Rewind();
  // SeekFrame's jump through the index.
  bool JumpToKeyFrame(int32_t target);
  void DecodeOnTo(int32_t target);

  // Sound chunks met while every wave buffer is with the device wait here,
  // in file order, and go out as buffers come back.
  void BufferReturned() override;
  void QueueSound(uint32_t size);
  void SendQueuedSound();
  void FreeSoundQueue();

  RGBQUAD streamColours_[256];    // the colours the decompressor gave at the start
  bool coloursChanged_ = false;  // a palette change has been applied since
  int32_t indexSize = 0;      // bytes of "idx1" entries
  int32_t framesDecoded = 0;
  HGLOBAL queueBlock = nullptr;
  uint8_t* queue = nullptr;  // queueBlock, locked
  uint32_t queueCapacity = 0;
  uint32_t queueHead = 0, queueTail = 0;  // the waiting bytes are [head, tail)
};

// Two decimal digits of a stream number as the low half of a chunk code.
constexpr uint32_t StreamDigits(int index) {
  return static_cast<uint32_t>('0' + (index / 10) % 10) | static_cast<uint32_t>('0' + index % 10) << 8;
}
// A video stream's "##pc" chunk: new colours for the frames that follow, not a frame.
constexpr bool IsPaletteChange(uint32_t code) { return (code >> 16) == ('p' | 'c' << 8); }
