#include "media/still_picture.h"

#include <algorithm>
#include <cstring>

bool PlaceStill(const BitmapDesc& target, int x, int y, const RECT* clip, int frameWidth, int frameHeight,
                StillPlacement* out) {
  RECT c = clip ? *clip : RECT{0, 0, target.width, target.height};
  c.left = std::max<LONG>(c.left, 0);
  c.top = std::max<LONG>(c.top, 0);
  c.right = std::min<LONG>(c.right, target.width);
  c.bottom = std::min<LONG>(c.bottom, target.height);
  // 64-bit sums: a picture placed far out must not wrap into view.
  if (c.right <= c.left || c.bottom <= c.top) return false;
  if (c.right < x || c.bottom < y || int64_t{x} + frameWidth <= c.left || int64_t{y} + frameHeight <= c.top)
    return false;
  out->top = static_cast<int>(std::max<int64_t>(int64_t{c.top} - y, 0));
  out->bottom = static_cast<int>(std::min<int64_t>(int64_t{c.bottom} - y, frameHeight));
  out->left = static_cast<int>(std::max<int64_t>(int64_t{c.left} - x, 0));
  out->right = static_cast<int>(std::min<int64_t>(int64_t{c.right} - x, frameWidth));
  return out->top < out->bottom && out->left < out->right;
}

StillMode ChooseStillMode(const BitmapDesc& target, int depth, int planes) {
  if (!target.row0) return StillMode::kNone;
  if (target.bitsPerPixel == depth && target.planes == planes && planes == 1 && depth % 8 == 0)
    return StillMode::kDirect;
  if (target.bitsPerPixel == 8 && target.planes == 1) return StillMode::kIndices;
  if (target.bitsPerPixel == 16 && target.planes == 1 && depth * planes <= 8) return StillMode::kIndices565;
  return StillMode::kNone;
}

void PutStillRow(const BitmapDesc& target, StillMode mode, int depth, const uint8_t* row, int left, int right,
                 int targetColumn, int targetRow, const uint16_t* colours565) {
  uint8_t* out = target.row0 + static_cast<intptr_t>(targetRow) * target.pitch;
  int count = right - left;
  switch (mode) {
    case StillMode::kDirect: {
      size_t bytesPerPixel = static_cast<size_t>(depth / 8);
      std::memcpy(out + static_cast<size_t>(targetColumn) * bytesPerPixel, row + static_cast<size_t>(left) * bytesPerPixel,
                  static_cast<size_t>(count) * bytesPerPixel);
      break;
    }
    case StillMode::kIndices:
      std::memcpy(out + targetColumn, row + left, static_cast<size_t>(count));
      break;
    case StillMode::kIndices565: {
      if (!colours565) break;
      auto* pixel = out + static_cast<size_t>(targetColumn) * 2;
      for (int i = 0; i < count; ++i) {
        uint16_t value = colours565[row[left + i]];
        pixel[2 * i] = static_cast<uint8_t>(value);
        pixel[2 * i + 1] = static_cast<uint8_t>(value >> 8);
      }
      break;
    }
    case StillMode::kNone:
      break;
  }
}
