// mImagePCX: a run-length encoded PCX picture, decoded again from the file
// into the target at every ReadFrame (no frame bitmap is kept).
#pragma once

#include "media/image_file.h"
#include "media/still_picture.h"

class mImagePCX : public mImageFile {
 public:
  static constexpr int32_t kHeaderSize = 128;
  static constexpr int32_t kPaletteSize = 769;  // marker 0x0C and 256 x red, green, blue

  mImagePCX();
  ~mImagePCX() override;

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t frame, int origin) override;
  void UpdateTranslation() override;
  BOOL SetTransparent(BOOL flag) override;
  uint32_t SetTransparentColour(uint32_t index) override;
  BOOL SetRemap(BOOL flag) override;

  BOOL isPage = FALSE;
  HGLOBAL paletteBlock = nullptr;
  RGBQUAD* paletteColours = nullptr;  // paletteBlock, locked
  int32_t dataOffset = 0;
  int32_t scanSize = 0;
  int32_t bytesPerLine = 0;  // of one plane

 protected:
  // The PCX header at the file position; no palette search at the end.
  bool ReadPictureHeader();
  // Reads the 256 trailing colours whose marker is at `at` when it is there.
  bool ReadTrailingPalette(int64_t at);
  // Bytes in the file (a memory block: its length).
  int64_t DataLength() const;

 private:
  bool Refuse(uint32_t error);
  bool DecodeLine(uint8_t* line);
  bool PaletteCutShort();

  bool trailingPalette_ = false;  // the 256 colours after the picture were read
};
