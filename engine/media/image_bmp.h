// mImageBMP: a Windows device-independent bitmap file as a one-frame image,
// read from the file and drawn straight into the target at every ReadFrame.
#pragma once

#include "media/image_file.h"
#include "media/still_picture.h"

class mImageBMP : public mImageFile {
 public:
  // Pixel storage besides plain rows.
  enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

  mImageBMP();
  ~mImageBMP() override;

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t frame, int origin) override;
  void UpdateTranslation() override;
  BOOL SetTransparent(BOOL flag) override;
  uint32_t SetTransparentColour(uint32_t index) override;
  BOOL SetRemap(BOOL flag) override;

  int32_t dataOffset = 0;
  int32_t rowStride = 0;
  HGLOBAL paletteMemory = nullptr;
  uint32_t compression = kRgb;
  BOOL topDown = FALSE;  // rows stored top row first (negative height)
  bool rgb565 = false;   // 16-bit pixels with six bits of green

 private:
  bool RefuseHeader(uint32_t error);
  // Both false when the file ends before the rows drawn do.
  bool DrawRows(const StillPlacement& part, int x, int y, StillMode mode, uint8_t* row, uint8_t* indices);
  bool DrawRunLengths(const StillPlacement& part, int x, int y, StillMode mode, uint8_t* indices);

  RGBQUAD* colours_ = nullptr;  // paletteMemory, locked
};
