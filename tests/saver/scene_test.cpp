#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>

#include "media/image_file.h"
#include "orvanel/headless.h"
#include "saver_state.h"
#include "saver_window.h"
#include "scene.h"
#include "settings_store.h"
#include "sprites/sprite_image.h"
#include "stage/director.h"
#include "support/host_fixture.h"

namespace {

class Scene : public testsupport::HeadlessTest {
 protected:
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }

  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    g_scene = SceneState();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "SceneTest";
    RegisterClassA(&windowClass);
    SelectSettingsKey(nullptr, kSettingsKeyPath);
  }
  void TearDown() override {
    TearDownScene();
    HeadlessTest::TearDown();
  }

  HWND MakeWindow(int width, int height) {
    return CreateWindowExA(0, "SceneTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
  }
  void Build(HWND window, int count1, int count2) {
    g_scene.count1 = count1;
    g_scene.count2 = count2;
    BuildScene(window, GetModuleHandleA(nullptr));
  }
  // Width of slot i's picture, 0 for an empty slot.
  int WidthOf(int slot) {
    mSpriteImage* picture = g_scene.records[slot].picture;
    return picture ? picture->shownImage->GetFrameRecord()->frameWidth : 0;
  }
};

TEST_F(Scene, DefaultCountsFillSixSlotsWithKindOneBetweenTheKindTwoHalves) {
  Build(MakeWindow(1024, 768), 1, 5);
  ASSERT_TRUE(g_scene.fullSize);
  const int expectedWidths[kSceneSlots] = {326, 326, 326, 226, 326, 326, 0, 0, 0, 0};
  for (int slot = 0; slot < kSceneSlots; ++slot) {
    EXPECT_EQ(WidthOf(slot), expectedWidths[slot]) << "slot " << slot;
    if (g_scene.records[slot].picture) {
      EXPECT_EQ(g_scene.records[slot].picture->depth, slot) << "slot " << slot;
    }
  }
  // Copies share the image of the first picture of their group.
  EXPECT_EQ(g_scene.records[1].picture->image, g_scene.records[0].picture->image);
  EXPECT_NE(g_scene.records[4].picture->image, g_scene.records[0].picture->image);
}

TEST_F(Scene, CountsAreClampedAndTooManyFallBackToTheDefaults) {
  int count1, count2;
  WriteSetting(kSprite1CountValue, 2);
  WriteSetting(kSprite2CountValue, 10);
  ReadSceneCounts(&count1, &count2);
  EXPECT_EQ(count1, 1);
  EXPECT_EQ(count2, 5);
  WriteSetting(kSprite1CountValue, -3);
  WriteSetting(kSprite2CountValue, 40);
  ReadSceneCounts(&count1, &count2);
  EXPECT_EQ(count1, 0);
  EXPECT_EQ(count2, 10);
}

TEST_F(Scene, NoCountsGiveAnEmptyStage) {
  Build(MakeWindow(1024, 768), 0, 0);
  for (const MotionRecord& record : g_scene.records) EXPECT_EQ(record.picture, nullptr);
  EXPECT_NE(g_scene.director, nullptr);
}

TEST_F(Scene, OneKindTwoPictureGoesToTheBackGroupOnly) {
  Build(MakeWindow(1024, 768), 1, 1);
  EXPECT_EQ(WidthOf(0), 326);
  EXPECT_EQ(WidthOf(1), 226);
  EXPECT_EQ(WidthOf(2), 0);
}

TEST_F(Scene, APreviewShowsAtMostOneKindOneAndFourInAll) {
  Build(MakeWindow(152, 112), 2, 10);
  ASSERT_FALSE(g_scene.fullSize);
  const int expectedWidths[5] = {326, 326, 226, 326, 0};
  for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(WidthOf(slot), expectedWidths[slot]) << "slot " << slot;
  // Pictures wider than half the window widen the movement box around the centre.
  EXPECT_EQ(g_scene.marginX, 152 / 2 - 326);
  EXPECT_EQ(g_scene.marginY, 112 / 2 - 275);
}

TEST_F(Scene, APreviewWhoseWindowChangesSizeGetsANewSceneAtTheNextFrame) {
  g_saver.preview = true;
  g_saver.instance = GetModuleHandleA(nullptr);
  HWND window = MakeWindow(0, 0);
  Build(window, 1, 5);
  EXPECT_EQ(g_scene.director->desc->width, 1);  // no client area yet: a stage of one pixel
  g_scene.running = true;
  struct Step {
    int width, height;
    bool fullSize;
    int pictures;
  };
  // Covering the screen: the full scene; smaller: the preview's four.
  for (const Step& step : {Step{1024, 768, true, 6}, Step{300, 200, false, 4}, Step{300, 200, false, 4}}) {
    SCOPED_TRACE(std::to_string(step.width) + " x " + std::to_string(step.height));
    mDirector* before = g_scene.director;
    MoveWindow(window, 0, 0, step.width, step.height, FALSE);
    SceneProc(window, WM_SIZE, 0, MAKELPARAM(step.width, step.height));
    EXPECT_EQ(g_scene.director, before) << "rebuilt before the next frame";
    StepScene();
    EXPECT_EQ(g_scene.width, step.width);
    EXPECT_EQ(g_scene.height, step.height);
    EXPECT_EQ(g_scene.fullSize, step.fullSize);
    EXPECT_EQ(g_scene.director->desc->width, step.width);
    EXPECT_EQ(g_scene.director->desc->height, step.height);
    EXPECT_TRUE(g_scene.running);
    int pictures = 0;
    for (const MotionRecord& record : g_scene.records) pictures += record.picture != nullptr;
    EXPECT_EQ(pictures, step.pictures);
  }

  // A full-screen saver keeps the scene it started with.
  g_saver.preview = false;
  mDirector* before = g_scene.director;
  MoveWindow(window, 0, 0, 500, 400, FALSE);
  SceneProc(window, WM_SIZE, 0, MAKELPARAM(500, 400));
  StepScene();
  EXPECT_EQ(g_scene.director, before);
  EXPECT_EQ(g_scene.width, 300);
}

TEST_F(Scene, SpeedIsClampedToItsRange) {
  HWND window = MakeWindow(1024, 768);
  WriteSetting(kSpeedValue, 5);
  Build(window, 0, 0);
  EXPECT_EQ(g_scene.speed, 10);
  TearDownScene();
  WriteSetting(kSpeedValue, 250);
  Build(window, 0, 0);
  EXPECT_EQ(g_scene.speed, 100);
  TearDownScene();
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, kSpeedValue);
  RegCloseKey(key);
  Build(window, 0, 0);
  EXPECT_EQ(g_scene.speed, 60);
}

TEST_F(Scene, EveryVelocityHasTheSameMagnitudeAndNoAxisDirection) {
  MotionRecord record = {};
  for (int i = 0; i < 200; ++i) {
    NewVelocity(&record);
    EXPECT_NEAR(std::hypot(record.vx, record.vy), 0.04, 1e-12);
    EXPECT_GE(std::fabs(record.vx), 0.04 * 0.15 - 1e-12);
    EXPECT_LE(std::fabs(record.vx), 0.04 * 0.85 + 1e-12);
  }
}

TEST_F(Scene, APictureThatReachesTheEdgeOfItsBoxBouncesBack) {
  Build(MakeWindow(1024, 768), 0, 1);
  MotionRecord* record = &g_scene.records[0];
  ASSERT_NE(record->picture, nullptr);
  const double limitX = 1024 - 2 * (326 / 2);
  record->x = limitX - 1;
  record->y = 100;
  record->vx = 3.0 / g_scene.speed;
  record->vy = 0;
  MovePicture(record);
  EXPECT_EQ(record->x, limitX);
  EXPECT_LT(record->vx, 0);
  EXPECT_EQ(record->picture->x, static_cast<int>(limitX) + 326 / 2);
}

TEST_F(Scene, ACloseInTheFirstHalfSecondTakesTheDefaultPath) {
  // The saver window runs its scene; a key press at 200 ms ends it before the
  // start timer fires, and the scene is torn down with the window.
  uint32_t start = headless::Now();
  headless::PressKey(VK_SPACE, start + 200);
  g_saver.instance = GetModuleHandleA(nullptr);
  EXPECT_EQ(RunSaverWindow(nullptr), 0);
  EXPECT_LT(headless::Now() - start, 500u);
  EXPECT_TRUE(g_scene.tornDown);
  EXPECT_FALSE(g_scene.running);
  EXPECT_EQ(g_scene.director, nullptr);
}

}  // namespace
