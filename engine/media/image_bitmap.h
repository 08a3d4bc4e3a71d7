// mImageBitmap: an image whose frames are rectangles cut out of other
// pictures, each with its own origin, time and changed area. Built frame by
// frame with AddFrame, or from a definition text with ReadDefinitions.
#pragma once

#include "media/image_file.h"

class mImageBitmap : public mImageFile {
 public:
  struct BitmapFrame {
    mBitmap* bitmap;  // held: its count is one higher for this frame
    RECT sourceRect;  // the part of bitmap that is the frame
    RECT deltaRect;   // frame coordinates: what differs from the frame before
    int32_t originX;
    int32_t originY;
    uint32_t time;  // milliseconds
    uint32_t reserved;
    BitmapFrame* next;
    BitmapFrame* previous;
  };

  mImageBitmap();
  ~mImageBitmap() override;

  // sourceRect and deltaRect may be null: the whole bitmap, the whole frame.
  void AddFrame(mBitmap* bitmap, const RECT* sourceRect, int32_t originX, int32_t originY, uint32_t time,
                const RECT* deltaRect);
  // Reads definition statements from file's position up to END or the end of
  // the text: 1 there, 0 when the file is not open or a statement needs a
  // source picture that is not there.
  int ReadDefinitions(mFile* file);

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t frame, int origin) override;
  void UpdateTranslation() override;
  BOOL SetTransparent(BOOL flag) override;
  uint32_t SetTransparentColour(uint32_t index) override;
  BOOL SetRemap(BOOL flag) override;

  BitmapFrame* firstFrame = nullptr;
  BitmapFrame* current = nullptr;

 private:
  // The frame record describes `current`.
  void DescribeCurrent();
  template <typename Action>
  void EachFrame(Action action) {
    BitmapFrame* frame = firstFrame;
    for (int32_t i = 0; frame && i < fileRecord.frameCount; ++i, frame = frame->next) action(*frame);
  }
  mBitmap* shownBitmap_ = nullptr;  // bitmap of the frame last described, for palette changes
};
