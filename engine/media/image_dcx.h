// mImageDCX: the pages of a DCX file (a table of PCX pictures), one page per frame.
#pragma once

#include "media/image_pcx.h"

class mImageDCX : public mImagePCX {
 public:
  static constexpr uint32_t kMagic = 0x3ADE68B1;
  static constexpr int kMaxPages = 1024;

  mImageDCX();

  BOOL ReadHeader() override;
  int32_t WriteHeader() override;
  int32_t ReadFrame(int x, int y, const RECT* clip) override;
  int32_t WriteFrame(int x, int y, const RECT* clip) override;
  int32_t SeekFrame(int32_t page, int origin) override;

  int32_t dcxBase = 0;
  int32_t pageCount = 0;
  uint32_t pageTable[1 + kMaxPages] = {};  // magic, then page offsets from dcxBase

 private:
  bool pageReadable_ = false;  // the current page's header was read
};
