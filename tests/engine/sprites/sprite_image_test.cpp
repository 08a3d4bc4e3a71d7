#include <gtest/gtest.h>

#include "orvanel/headless.h"
#include "engine/sprites/fake_image.h"
#include "sprites/sprite_image.h"
#include "stage/director.h"
#include "support/host_fixture.h"

namespace {

TEST(SpriteImage, ThreeFramesLoopAtTheFrameTimeScaledBySpeed) {
  for (uint32_t speed : {100u, 200u, 50u}) {
    auto* image = new FakeImage(3, 100, 10, 10);
    mSpriteImage sprite;
    sprite.speed = speed;
    sprite.SetImage(image);
    const uint32_t expected = 100 * 100 / speed;
    EXPECT_EQ(sprite.interval, expected) << "speed " << speed;
    std::vector<int> frames;
    for (int i = 0; i < 4; ++i) {
      sprite.Advance(0);
      frames.push_back(sprite.frame);
      EXPECT_EQ(sprite.interval, expected) << "speed " << speed;
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1})) << "speed " << speed;
  }
}

TEST(SpriteImage, NotLoopingStopsOnTheLastFrameWithIntervalZero) {
  auto* image = new FakeImage(3, 100, 10, 10);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.SetLooping(FALSE);
  for (int i = 0; i < 5; ++i) sprite.Advance(0);
  EXPECT_EQ(sprite.frame, 2);
  EXPECT_EQ(sprite.interval, 0u);
}

TEST(SpriteImage, TimedCatchUpSkipsFramesAndShortensTheNextInterval) {
  auto* image = new FakeImage(10, 100, 10, 10);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.SetTimed(TRUE);
  sprite.Advance(250);
  EXPECT_EQ(sprite.frame, 3);
  EXPECT_EQ(sprite.interval, 50u);
}

TEST(SpriteImage, AnImageWithoutFramesIsLeftAlone) {
  auto* image = new FakeImage(0, 100, 10, 10);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.Advance(0);
  EXPECT_EQ(sprite.frame, 0);
}

TEST(SpriteImage, AHiddenSpriteDrawsNothing) {
  auto* image = new FakeImage(1, 0, 10, 10);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.Hide();
  RECT clip = {0, 0, 5, 5};
  sprite.Draw(&clip, 1);
  EXPECT_TRUE(image->drawn.empty());
  sprite.Show();
  sprite.Draw(&clip, 1);
  EXPECT_EQ(image->drawn.size(), 1u);
}

TEST(SpriteImage, PlacementSubtractsOffsetAndFrameOrigin) {
  auto* image = new FakeImage(1, 0, 40, 30);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.SetOffset(20, 15);
  sprite.MoveTo(100, 100, 0);
  EXPECT_EQ(sprite.bounds.left, 80);
  EXPECT_EQ(sprite.bounds.top, 85);
  EXPECT_EQ(sprite.bounds.right, 120);
  EXPECT_EQ(sprite.bounds.bottom, 115);
}

class SpriteImageOnStage : public testsupport::HeadlessTest {};

TEST_F(SpriteImageOnStage, StandingStillRedrawsOnlyTheChangedPartOfTheFrame) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "SpriteStage";
  ASSERT_TRUE(RegisterClassA(&windowClass));
  HWND window = CreateWindowExA(0, "SpriteStage", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(window);
  mDirector stage(window, 50);
  stage.Frame();

  auto* image = new FakeImage(2, 100, 40, 40);
  auto* sprite = new mSpriteImage();
  sprite->SetImage(image);
  sprite->MoveTo(16, 16, 0);
  stage.AddSprite(sprite);
  stage.Frame();

  image->SetUpdateRect({8, 4, 12, 8});
  sprite->MoveTo(16, 16, 0);
  ASSERT_EQ(stage.used, 2) << "one dirty area";
  DirtyEntry* entry = stage.dirtyList[0].next;
  EXPECT_EQ(entry->left, 24);
  EXPECT_EQ(entry->top, 20);
  EXPECT_EQ(entry->right, 28);
  EXPECT_EQ(entry->bottom, 24);
  stage.Frame();

  sprite->MoveTo(17, 16, 0);
  DirtyEntry* first = stage.dirtyList[0].next;
  EXPECT_EQ(first->left, 16) << "moved by a pixel: old and new bounds";
  EXPECT_EQ(first->right, 60);

  stage.RemoveSprite(sprite);
  delete sprite;
  DestroyWindow(window);
}

TEST_F(SpriteImageOnStage, SharedImageKeepsItsTargetUntilTheLastSpriteLeaves) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "SpriteStage2";
  ASSERT_TRUE(RegisterClassA(&windowClass));
  HWND window = CreateWindowExA(0, "SpriteStage2", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  mDirector stage(window, 50);
  auto* image = new FakeImage(1, 0, 10, 10);
  auto* first = new mSpriteImage();
  first->SetImage(image);
  auto* second = new mSpriteImage();
  second->CopyFrom(*first);
  stage.AddSprite(first);
  stage.AddSprite(second);
  EXPECT_EQ(image->target, &stage);
  stage.RemoveSprite(first);
  EXPECT_EQ(image->target, &stage);
  delete first;
  stage.RemoveSprite(second);
  EXPECT_EQ(image->target, nullptr);
  delete second;
  EXPECT_EQ(stage.refCount, 0);
  DestroyWindow(window);
}

}  // namespace
