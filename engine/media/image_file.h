// mImageFile: an image whose pictures come from an mFile, shown one frame at
// a time into a target bitmap. Every image format implements its frame interface.
#pragma once

#include <windows.h>

#include <cstdint>

#include "media/file.h"
#include "media/image.h"
#include "stage/bitmap.h"

// Format tag: up to four letters, the first in the low byte ("FLC", "PCX").
constexpr uint32_t FormatTag(const char* letters) {
  uint32_t tag = 0;
  for (int i = 0; i < 4 && letters[i] != '\0'; ++i) tag |= static_cast<uint32_t>(static_cast<uint8_t>(letters[i])) << (8 * i);
  return tag;
}

class mImageFile : public virtual mObject, public virtual mFile, public virtual mImage {
 public:
  struct FileRecord {
    int32_t frameCount;
    uint32_t formatTag;  // 0 while no header has been read
    int32_t fileSize;
    int32_t width;
    int32_t height;
    int32_t formatField;
  };
  struct FrameRecord {
    int32_t currentFrame;
    int32_t frameSize;
    int32_t frameTime;  // milliseconds per frame; 0 for still pictures
    int32_t frameWidth;
    int32_t frameHeight;
    int32_t depth;
    int32_t planes;
    int32_t originX;
    int32_t originY;
    RECT updateRect;
    int32_t transparent;
    int32_t transparentColour;
    RGBQUAD* palette;
    int32_t paletteChanged;
    int32_t remap;
    int32_t autoAdvance;
  };

  mImageFile();
  ~mImageFile() override;

  virtual BOOL ReadHeader() = 0;
  virtual int32_t WriteHeader() = 0;
  virtual int32_t ReadFrame(int x, int y, const RECT* clip) = 0;
  virtual int32_t WriteFrame(int x, int y, const RECT* clip) = 0;
  virtual int32_t SeekFrame(int32_t frame, int origin) = 0;
  virtual void UpdateTranslation() = 0;
  virtual mBitmap* MakeBitmap(BOOL useOwnDepth);
  virtual BOOL SetTarget(mBitmap* bitmap);
  virtual BOOL SetAutoAdvance(BOOL flag);
  virtual BOOL SetTransparent(BOOL flag);
  virtual uint32_t SetTransparentColour(uint32_t index);
  virtual BOOL SetRemap(BOOL flag);

  // Row conversion of file pixels into 8-bit indices (BMP and PCX readers).
  void BuildConversion();
  void FreeConversion();
  void ConvertRow(const uint8_t* source, uint8_t* destination, int count, int planeStride);

  const FileRecord* GetFileRecord() const { return &fileRecord; }
  const FrameRecord* GetFrameRecord() const { return &frameRecord; }

  BitmapDesc* targetDesc = nullptr;
  mBitmap* target = nullptr;
  BOOL translation = FALSE;

 protected:
  FileRecord fileRecord;
  FrameRecord frameRecord;
  void* conversion = nullptr;  // 256 16-bit colours, or 4096 indices
};
