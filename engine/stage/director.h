// mDirector: owns the stage (an 8-bit DIB section the size of a window's
// client area), its palette, the renderers drawn on it in depth order and
// the list of dirty rectangles that the next frame redraws and shows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "stage/bitmap.h"

class mRenderer;
class mRenderSolid;

// One area to redraw. The list runs through the array in order of top,
// then left, circular through slot 0, the sentinel.
struct DirtyEntry {
  int32_t left, top, right, bottom;
  DirtyEntry* next;
};

class mDirector : public mBitmap {
 public:
  // capacity counts the sentinel: capacity - 1 areas fit between two shows.
  mDirector(HWND window, int capacity);
  ~mDirector() override;

  void AddSprite(mRenderer* sprite);
  int RemoveSprite(mRenderer* sprite);
  void ResortSprite(mRenderer* sprite);
  void MarkDirty(const RECT* rects, int count);
  int AddDirtyRect(int left, int top, int right, int bottom);
  void ResizeDirtyList(int newCapacity);
  void SetPalette(const RGBQUAD* entries, int first, int count);
  uint32_t Frame();
  void RenderDirty();
  void ShowDirty();
  void UpdateTimers();
  void CheckHits();
  static int IntersectRects(RECT* out, const RECT* a, const RECT* b);

  mRenderSolid* background = nullptr;
  HWND window = nullptr;
  HPALETTE previousPalette = nullptr;
  HPALETTE palette = nullptr;
  DirtyEntry* dirtyList = nullptr;
  int32_t capacity = 0;
  int32_t used = 0;
  HGLOBAL dirtyMemory = nullptr;
  mRenderer* sprites = nullptr;
  mRenderSolid* ownedBackground = nullptr;
  uint32_t nextDue = 0;
  uint32_t now = 0;

 private:
  void InsertByDepth(mRenderer* sprite);
  void Unlink(mRenderer* sprite);
  void FreeDirtyList();
};
