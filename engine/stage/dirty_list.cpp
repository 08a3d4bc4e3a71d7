// The director's dirty rectangle list and the two passes over it: drawing
// the dirty areas into the stage and copying them to the window.
#include <algorithm>

#include "stage/director.h"
#include "stage/renderer.h"

namespace {
constexpr int32_t kSentinelEdge = 32000;  // sorts after every stage coordinate
}

void mDirector::FreeDirtyList() {
  if (dirtyMemory) {
    GlobalUnlock(dirtyMemory);
    GlobalFree(dirtyMemory);
  }
  dirtyMemory = nullptr;
  dirtyList = nullptr;
  capacity = 0;
  used = 0;
}

void mDirector::ResizeDirtyList(int newCapacity) {
  FreeDirtyList();
  if (newCapacity < 1) return;
  HGLOBAL block =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(newCapacity) * sizeof(DirtyEntry));
  void* entries = block ? GlobalLock(block) : nullptr;
  if (!entries) {
    if (block) GlobalFree(block);
    return;  // every area is refused from now on
  }
  dirtyMemory = block;
  dirtyList = static_cast<DirtyEntry*>(entries);
  dirtyList[0] = DirtyEntry{kSentinelEdge, kSentinelEdge, kSentinelEdge, kSentinelEdge, &dirtyList[0]};
  capacity = newCapacity;
  used = 1;
}

void mDirector::MarkDirty(const RECT* rects, int count) {
  if (!rects) return;
  for (int i = 0; i < count; ++i) {
    const int32_t left = std::max<int32_t>(rects[i].left, 0), top = std::max<int32_t>(rects[i].top, 0);
    const int32_t right = std::min<int32_t>(rects[i].right, ownDesc.width);
    const int32_t bottom = std::min<int32_t>(rects[i].bottom, ownDesc.height);
    if (top >= bottom || left >= right) continue;
    // Whole 4-pixel groups; the rows are padded to 4 bytes, so a right edge
    // rounded past the width still lies inside them.
    AddDirtyRect(left & ~3, top, (right + 3) & ~3, bottom);
  }
}

int mDirector::AddDirtyRect(int left, int top, int right, int bottom) {
  if (used >= capacity) return 0;
  DirtyEntry* const sentinel = dirtyList;
  DirtyEntry* before = sentinel;
  for (DirtyEntry* e = sentinel->next; e != sentinel; e = e->next) {
    const bool touching = right >= e->left && left <= e->right && bottom >= e->top && top <= e->bottom;
    if (!touching) {
      before = e;
      continue;
    }
    if (left <= e->left && right >= e->right && top <= e->top && bottom >= e->bottom) {
      before->next = e->next;  // swallowed; its slot stays taken until the show
      continue;
    }
    if (left == e->left && right == e->right) {
      before->next = e->next;
      return AddDirtyRect(left, std::min(top, e->top), right, std::max(bottom, e->bottom));
    }
    if (top == e->top && bottom == e->bottom) {
      before->next = e->next;
      return AddDirtyRect(std::min(left, e->left), top, std::max(right, e->right), bottom);
    }
    if (right > e->left && left < e->right && bottom > e->top && top < e->bottom) {
      // Only the parts outside e are new. e may be merged away by a piece,
      // so its edges are taken first.
      const int32_t el = e->left, et = e->top, er = e->right, eb = e->bottom;
      const int32_t bandTop = std::max(top, et), bandBottom = std::min(bottom, eb);
      if (left < el) AddDirtyRect(left, bandTop, el, bandBottom);
      if (right > er) AddDirtyRect(er, bandTop, right, bandBottom);
      if (top < et) AddDirtyRect(left, top, right, et);
      if (bottom > eb) AddDirtyRect(left, eb, right, bottom);
      return 1;
    }
    before = e;  // touching only, with different spans
  }

  DirtyEntry* slot = &dirtyList[used++];
  *slot = DirtyEntry{left, top, right, bottom, nullptr};
  DirtyEntry* after = sentinel;
  while (after->next != sentinel &&
         (after->next->top < top || (after->next->top == top && after->next->left < left)))
    after = after->next;
  slot->next = after->next;
  after->next = slot;
  return 1;
}

void mDirector::RenderDirty() {
  if (used <= 1 || !sprites) return;
  mRenderer* sprite = sprites;
  do {
    // The list is ordered by top: entries past the sprite's bottom cannot meet it.
    for (DirtyEntry* e = dirtyList->next; e != dirtyList && e->top <= sprite->bounds.bottom; e = e->next) {
      const RECT area = {e->left, e->top, e->right, e->bottom};
      RECT part;
      if (IntersectRects(&part, &sprite->bounds, &area)) sprite->Draw(&part, 1);
    }
    sprite = sprite->next;
  } while (sprite != sprites);
}

void mDirector::ShowDirty() {
  if (used <= 1) return;
  HDC dc = GetDC(window);
  if (dc) {
    if (palette) {
      SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
    }
    for (DirtyEntry* e = dirtyList->next; e != dirtyList; e = e->next) {
      const RECT area = {e->left, e->top, e->right, e->bottom};
      DrawToWindow(dc, &area, e->left, e->top);
    }
    ReleaseDC(window, dc);
  }
  dirtyList->next = dirtyList;
  used = 1;
}
