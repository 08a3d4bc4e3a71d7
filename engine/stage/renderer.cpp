#include "stage/renderer.h"

#include "stage/director.h"

mRenderer::mRenderer() { SetHitDepth(32767); }

mRenderer::~mRenderer() {
  // Leaving the stage gives back its hold, so no "Still in use" follows.
  if (stage) stage->RemoveSprite(this);
}

void mRenderer::SetDepth(int32_t newDepth) {
  depth = newDepth;
  if (!stage) return;
  stage->ResortSprite(this);
  stage->MarkDirty(&bounds, 1);
}

void mRenderer::SetHitDepth(int32_t span) {
  hitDepth = span;
  const int64_t half = span / 2;
  // Overflow and negative spans fall back to the ends given here, as the
  // wrapped 32-bit sums would.
  const int64_t high = int64_t{depth} + half, low = int64_t{depth} - half;
  depthHigh = high < depth || high > INT32_MAX ? 32767 : static_cast<int32_t>(high);
  depthLow = low > depth || low < INT32_MIN ? 0 : static_cast<int32_t>(low);
}

bool HitsRenderer(const mRenderer& a, const mRenderer& b) {
  if (a.hitMask == 0 || (b.hitId & a.hitMask) == 0) return false;
  if (!(a.depthHigh >= b.depthLow && b.depthHigh >= a.depthLow)) return false;
  const RECT& p = a.hitRect;
  const RECT& q = b.hitRect;
  return p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
}
