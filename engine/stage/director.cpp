// mDirector: construction, the sprite list, timers, hits and the frame.
#include "stage/director.h"

#include <mmsystem.h>

#include <algorithm>
#include <new>

#include "stage/render_solid.h"
#include "stage/renderer.h"

mDirector::mDirector(HWND window, int capacity) : window(window) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  // A window without a client area yet (a preview parent of 0 x 0) gets a
  // stage of one pixel, not an "Out of memory" box; its owner makes a new
  // stage once the window has a size.
  const int width = std::max<int>(client.right - client.left, 1), height = std::max<int>(client.bottom - client.top, 1);
  CreateSection(width, height, 8);

  RGBQUAD black[256] = {};
  SetPalette(black, 0, 256);

  ResizeDirtyList(capacity);

  // The stage cannot be cleared without its background; without the memory
  // for one it is simply never repainted.
  ownedBackground = new (std::nothrow) mRenderSolid(RECT{0, 0, width, height});
  background = ownedBackground;
  if (background) {
    background->hitMask = 0;
    AddSprite(background);
  }
}

mDirector::~mDirector() {
  FreeDirtyList();
  if (palette) {
    HDC dc = GetDC(window);
    if (dc) {
      SelectPalette(dc, previousPalette, FALSE);
      ReleaseDC(window, dc);
    }
    DeleteObject(palette);
    palette = nullptr;
  }
  // The sprites belong to whoever made them; the stage only lets go.
  while (sprites) {
    mRenderer* sprite = sprites;
    Unlink(sprite);
    --sprite->refCount;
    sprite->Detached();
    sprite->stage = nullptr;
  }
  delete ownedBackground;
  ownedBackground = nullptr;
  background = nullptr;
}

void mDirector::InsertByDepth(mRenderer* sprite) {
  if (!sprites) {
    sprite->next = sprite->previous = sprite;
    sprites = sprite;
    return;
  }
  // Equal depths keep the order of adding: the newest goes in front.
  mRenderer* at = sprites;
  do {
    if (at->depth > sprite->depth) break;
    at = at->next;
  } while (at != sprites);
  sprite->next = at;
  sprite->previous = at->previous;
  at->previous->next = sprite;
  at->previous = sprite;
  if (sprite->depth < sprites->depth) sprites = sprite;
}

void mDirector::Unlink(mRenderer* sprite) {
  if (sprite->next == sprite) {
    sprites = nullptr;
  } else {
    sprite->previous->next = sprite->next;
    sprite->next->previous = sprite->previous;
    if (sprites == sprite) sprites = sprite->next;
  }
  sprite->next = sprite->previous = nullptr;
}

void mDirector::AddSprite(mRenderer* sprite) {
  if (!sprite || sprite->stage) return;
  sprite->stage = this;
  AddRef(sprite);
  InsertByDepth(sprite);
  sprite->lastTime = timeGetTime();
  sprite->Attached();
  sprite->PaletteChanged();
  MarkDirty(&sprite->bounds, 1);
  RenderDirty();
}

int mDirector::RemoveSprite(mRenderer* sprite) {
  if (!sprite || sprite->stage != this) return 0;
  --sprite->refCount;
  sprite->Detached();
  sprite->stage = nullptr;
  const bool alone = sprite->next == sprite;
  Unlink(sprite);
  // The last sprite leaves its picture behind: there is nothing to draw
  // the area again with.
  if (alone) return 1;
  MarkDirty(&sprite->bounds, 1);
  RenderDirty();
  return 1;
}

void mDirector::ResortSprite(mRenderer* sprite) {
  if (!sprite || sprite->stage != this || sprite->next == sprite) return;
  Unlink(sprite);
  InsertByDepth(sprite);
  MarkDirty(&sprite->bounds, 1);
  sprite->SetHitDepth(sprite->hitDepth);
}

void mDirector::UpdateTimers() {
  if (!sprites) return;
  now = timeGetTime();
  uint32_t lowest = 0xFFFFFFFF;
  mRenderer* sprite = sprites;
  do {
    if (sprite->interval != 0) {
      uint32_t elapsed = now - sprite->lastTime;
      if (elapsed >= sprite->interval) {
        sprite->Advance(elapsed - sprite->interval);
        sprite->lastTime = now;
        elapsed = 0;
      }
      const uint32_t remaining = sprite->interval - elapsed;
      if (remaining < lowest) lowest = remaining;
      // A sprite that took itself off the stage ends the walk.
      if (sprite->stage != this) break;
    }
    sprite = sprite->next;
  } while (sprites && sprite != sprites);
  nextDue = lowest == 0xFFFFFFFF ? 0 : lowest;
}

void mDirector::CheckHits() {
  if (!sprites) return;
  mRenderer* a = sprites;
  do {
    if (a->hitMask != 0) {
      mRenderer* b = sprites;
      do {
        if (b != a && HitsRenderer(*a, *b)) a->Hit(b);
        if (a->stage != this || b->stage != this) return;
        b = b->next;
      } while (b != sprites);
    }
    a = a->next;
  } while (a != sprites);
}

uint32_t mDirector::Frame() {
  UpdateTimers();
  CheckHits();
  RenderDirty();
  ShowDirty();
  return nextDue;
}

int mDirector::IntersectRects(RECT* out, const RECT* a, const RECT* b) {
  if (!(a->top < b->bottom && b->top < a->bottom && a->left < b->right && b->left < a->right)) return 0;
  out->left = a->left > b->left ? a->left : b->left;
  out->top = a->top > b->top ? a->top : b->top;
  out->right = a->right < b->right ? a->right : b->right;
  out->bottom = a->bottom < b->bottom ? a->bottom : b->bottom;
  return 1;
}
