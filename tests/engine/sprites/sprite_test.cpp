#include <gtest/gtest.h>

#include "sprites/sprite.h"

namespace {

TEST(Sprite, WithoutAProgramEachAdvanceStepsOneFrameAndPausedNone) {
  mSprite sprite;
  sprite.interval = 50;
  sprite.Advance(500);
  EXPECT_EQ(sprite.frame, 1) << "not timed: one cycle whatever the lateness";
  sprite.Pause();
  sprite.Advance(0);
  EXPECT_EQ(sprite.frame, 1);
}

TEST(Sprite, TimedCatchUpRunsACycleForEveryIntervalLost) {
  mSprite sprite;
  sprite.interval = 50;
  sprite.SetTimed(TRUE);
  sprite.Advance(120);  // 120, 70, 20: three cycles
  EXPECT_EQ(sprite.frame, 3);
}

TEST(Sprite, TimedCatchUpWithAnIntervalOfZeroEnds) {
  mSprite sprite;
  sprite.interval = 0;
  sprite.SetTimed(TRUE);
  sprite.Advance(0xFFFFFFFFu);
  EXPECT_EQ(sprite.frame, 1);
}

TEST(Sprite, SpeedRescalesTheIntervalAndZeroIsRefused) {
  mSprite sprite;
  sprite.interval = 100;
  sprite.SetSpeed(200);
  EXPECT_EQ(sprite.interval, 50u);
  sprite.SetSpeed(200);
  EXPECT_EQ(sprite.interval, 25u);
  sprite.SetSpeed(50);
  EXPECT_EQ(sprite.interval, 50u);
  sprite.SetSpeed(0);
  EXPECT_EQ(sprite.speed, 50u);
  EXPECT_EQ(sprite.interval, 50u);
}

TEST(Sprite, HidesNest) {
  mSprite sprite;
  sprite.Hide();
  sprite.Hide();
  sprite.Show();
  EXPECT_TRUE(sprite.state & mSprite::kHidden);
  sprite.Show();
  EXPECT_FALSE(sprite.state & mSprite::kHidden);
  sprite.Show();
  EXPECT_EQ(sprite.hideCount, 0);
}

TEST(Sprite, MoveToShiftsBoundsAndHitAreaAndKeepsDepthForZero) {
  mSprite sprite;
  sprite.bounds = {0, 0, 10, 20};
  sprite.hitRect = {2, 2, 8, 8};
  sprite.depth = 3;
  sprite.MoveTo(5, 7, 0);
  EXPECT_EQ(sprite.bounds.left, 5);
  EXPECT_EQ(sprite.bounds.bottom, 27);
  EXPECT_EQ(sprite.hitRect.left, 7);
  EXPECT_EQ(sprite.depth, 3);
  sprite.MoveTo(5, 7, 9);
  EXPECT_EQ(sprite.depth, 9);
}

TEST(Sprite, AttachedRestartsOnlyWhenNotPaused) {
  mSprite sprite;
  sprite.pc = 7;
  sprite.Pause();
  sprite.Attached();
  EXPECT_EQ(sprite.pc, 7);
  sprite.Resume();
  sprite.Attached();
  EXPECT_EQ(sprite.pc, 0);
}

TEST(Sprite, PlaySoundPastTheLastAttachedSoundFails) {
  mSprite sprite;
  EXPECT_EQ(sprite.PlaySound(0, 0, 1), 0);
  EXPECT_EQ(sprite.PlaySound(-1, 0, 1), 0);
}

}  // namespace
