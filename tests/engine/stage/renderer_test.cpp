// mRenderer's depth window and collision rule.
#include "stage/renderer.h"

#include <gtest/gtest.h>

namespace {

TEST(RendererDepthWindow, FromTheSpanAroundTheDepth) {
  mRenderer r;
  EXPECT_EQ(-16383, r.depthLow);
  EXPECT_EQ(16383, r.depthHigh);
  r.depth = 100;
  r.SetHitDepth(10);
  EXPECT_EQ(95, r.depthLow);
  EXPECT_EQ(105, r.depthHigh);
  r.SetHitDepth(11);
  EXPECT_EQ(95, r.depthLow);
  EXPECT_EQ(105, r.depthHigh);
  r.SetHitDepth(-4);
  EXPECT_EQ(0, r.depthLow);
  EXPECT_EQ(32767, r.depthHigh);
  r.depth = INT32_MAX - 1;
  r.SetHitDepth(100);
  EXPECT_EQ(32767, r.depthHigh) << "an overflowing upper end";
  r.depth = INT32_MIN + 1;
  r.SetHitDepth(100);
  EXPECT_EQ(0, r.depthLow) << "an underflowing lower end";
}

TEST(RendererDepthWindow, SetDepthOffStageLeavesTheWindow) {
  mRenderer r;
  r.SetDepth(500);
  EXPECT_EQ(500, r.depth);
  EXPECT_EQ(16383, r.depthHigh);
}

TEST(RendererHits, TheRuleIsOneSided) {
  mRenderer a, b;
  a.hitRect = b.hitRect = RECT{0, 0, 10, 10};
  EXPECT_FALSE(HitsRenderer(a, b)) << "default hitId 0 is never hit";
  b.hitId = 4;
  EXPECT_TRUE(HitsRenderer(a, b));
  a.hitMask = 0;
  EXPECT_FALSE(HitsRenderer(a, b)) << "mask 0 tests nothing";
  a.hitId = 1;
  EXPECT_TRUE(HitsRenderer(b, a)) << "but can still hit others";
  b.hitRect = RECT{10, 0, 20, 10};
  EXPECT_FALSE(HitsRenderer(b, a)) << "touching edges do not overlap";
  b.hitRect = RECT{5, 5, 20, 20};
  b.depth = 20000;
  b.SetHitDepth(10);
  EXPECT_FALSE(HitsRenderer(b, a)) << "depth windows apart";
}

}  // namespace
