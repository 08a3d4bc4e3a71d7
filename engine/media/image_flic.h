// mImageFlic: FLI and FLC animations, decoded frame by frame into an 8-bit
// frame bitmap and drawn into the target with its copy mode.
#pragma once

#include "media/image_file.h"

class mImageFlic : public mImageFile {
 public:
  mImageFlic();
  ~mImageFlic() override;

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t frame, int origin) override;
  void UpdateTranslation() override;
  BOOL SetTarget(mBitmap* bitmap) override;
  BOOL SetTransparent(BOOL flag) override;
  uint32_t SetTransparentColour(uint32_t index) override;
  BOOL SetRemap(BOOL flag) override;

  const mBitmap* FrameBitmap() const { return frameBitmap; }

  uint8_t header[128];
  int32_t firstFrameOffset = 0;
  int32_t secondFrameOffset = 0;
  mBitmap* frameBitmap = nullptr;
  int32_t decodedFrame = -1;
  BOOL silent = FALSE;
  BOOL autoKey = TRUE;

 private:
  // Frame bitmap gone, file closed, no header.
  void ReleaseImage();
  bool DecodeFrame();
  void DecodeChunk(int type, int32_t chunkStart, int32_t chunkSize);
  int32_t DataLength() const;

  // n bytes of the current frame at readPtr, refilling the window as needed;
  // false when the frame or the data ends first.
  bool Need(int32_t n) {
    if (fileState.bufferEnd - fileState.readPtr < n) Refill(fileState.readPtr);
    return fileState.dataEnd - fileState.readPtr >= n && frameLimit - Tell() >= n;
  }

  void DecodeColours(int shift);
  void DecodeDeltaFlc();
  void DecodeDeltaFli();
  void DecodeBlack();
  void DecodeByteRun();
  bool DecodeLiteral();  // false when the frame ends before the picture does

  int32_t frameLimit = 0;  // file position where the frame being decoded ends
  bool literalReported_ = false;  // a short LITERAL chunk is reported once per file
};
