#include "sprite_picture.h"

#include <random>

namespace benchstage {

void PaintSprite(mBitmap* bitmap, unsigned seed) {
  std::mt19937 rng(seed);
  const BitmapDesc& d = *bitmap->desc;
  for (int y = 0; y < d.height; ++y) {
    int x = 0;
    bool opaque = rng() % 2 == 0;
    while (x < d.width) {
      const int run = opaque ? 4 + static_cast<int>(rng() % 37) : 2 + static_cast<int>(rng() % 19);
      for (int i = 0; i < run && x < d.width; ++i, ++x)
        *d.Pixel(x, y) = opaque ? static_cast<uint8_t>(1 + rng() % 255) : kKey;
      opaque = !opaque;
    }
  }
  bitmap->SetTransparentColour(kKey);
}

KeyedSprite::KeyedSprite(mBitmap* image, int x, int y) : image(image), dx(3), dy(2) {
  bounds = RECT{x, y, x + image->desc->width, y + image->desc->height};
  hitRect = bounds;
}

void KeyedSprite::Draw(const RECT* rects, int count) {
  for (int i = 0; i < count; ++i)
    image->CopyKeyed(stage, &rects[i], rects[i].left - bounds.left, rects[i].top - bounds.top);
}

void KeyedSprite::Step(bool markDirty) {
  const RECT old = bounds;
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (bounds.left + dx < 0 || bounds.right + dx > stage->desc->width) dx = -dx;
  if (bounds.top + dy < 0 || bounds.bottom + dy > stage->desc->height) dy = -dy;
  bounds.left += dx;
  bounds.top += dy;
  bounds.right = bounds.left + width;
  bounds.bottom = bounds.top + height;
  hitRect = bounds;
  if (markDirty) {
    const RECT both[2] = {old, bounds};
    stage->MarkDirty(both, 2);
  }
}

}  // namespace benchstage
