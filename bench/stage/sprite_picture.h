// Sprite-like 8-bit pictures for the stage benchmarks, and a minimal keyed
// image renderer (the engine's image sprite is not part of this program).
#pragma once

#include <cstdint>

#include "stage/bitmap.h"
#include "stage/director.h"
#include "stage/renderer.h"

namespace benchstage {

constexpr int kSpriteWidth = 326;
constexpr int kSpriteHeight = 150;
constexpr uint8_t kKey = 0;

// Rows of opaque runs (4 to 40 pixels) and transparent runs (2 to 20):
// about a third of the pixels transparent.
void PaintSprite(mBitmap* bitmap, unsigned seed);

class KeyedSprite : public mRenderer {
 public:
  KeyedSprite(mBitmap* image, int x, int y);
  void Draw(const RECT* rects, int count) override;
  // Moves by (dx, dy), bouncing inside the stage; marks old and new areas
  // dirty when markDirty is set.
  void Step(bool markDirty);

  mBitmap* image;
  int dx, dy;
};

}  // namespace benchstage
