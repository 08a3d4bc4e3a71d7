// The script interpreter: programs run on sprites, alone and on a stage.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/media/media_test_util.h"
#include "engine/sprites/fake_image.h"
#include "engine/sprites/script_test_util.h"
#include "engine/stage/stage_test_support.h"
#include "orvanel/headless.h"
#include "sprites/sprite_image.h"
#include "stage/director.h"
#include "support/host_fixture.h"

namespace {

using mediatest::TakeReports;
using scripttest::Compile;

class ScriptRunTest : public testsupport::HeadlessTest {
 protected:
  std::unique_ptr<mDirector> MakeStage() {
    auto director = std::make_unique<mDirector>(stagetest::MakeWindow(0, 0, 128, 128), 50);
    director->Frame();
    return director;
  }
};

// Frames after each of n cycles.
std::vector<int> FramesOver(mSprite& sprite, int cycles) {
  std::vector<int> frames;
  for (int i = 0; i < cycles; ++i) {
    sprite.Advance(0);
    frames.push_back(sprite.frame);
  }
  return frames;
}

TEST_F(ScriptRunTest, ACycleEndsAtEndCycleLoopOrPauseAndTheEndIsFinal) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "FRAME 3\nENDCYCLE\nLOOP 1\n"));
  TakeReports();  // label 1 does not exist: the LOOP is a NOP
  EXPECT_EQ(1, sprite.RunCycle());
  EXPECT_EQ(3, sprite.frame);
  sprite.frame = 5;
  EXPECT_EQ(0, sprite.RunCycle()) << "fell off the end";
  EXPECT_EQ(0, sprite.RunCycle());
  EXPECT_EQ(3, sprite.pc);
  sprite.Advance(0);
  EXPECT_EQ(5, sprite.frame) << "after the last instruction cycles change nothing";

  mSprite looping;
  ASSERT_EQ(1, Compile(looping, ":1\nADVANCEFRAME\nENDCYCLE\nLOOP 1\n"));
  // The LOOP takes a cycle of its own to return to the label.
  EXPECT_EQ((std::vector<int>{1, 1, 2, 2, 3}), FramesOver(looping, 5));

  mSprite pausing;
  ASSERT_EQ(1, Compile(pausing, "FRAME 1\nPAUSE\nFRAME 2\nEND\nFRAME 3\n"));
  pausing.Advance(0);
  EXPECT_EQ(1, pausing.frame);
  EXPECT_TRUE(pausing.state & mSprite::kPaused);
  pausing.Advance(0);
  EXPECT_EQ(1, pausing.frame) << "paused";
  pausing.Resume();
  EXPECT_EQ(0, pausing.RunCycle()) << "END ended the text: the program runs out";
  EXPECT_EQ(2, pausing.frame);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptRunTest, FramesAdvanceByTheirOperand) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "FRAME 10\nADVANCEFRAME 0\nADVANCEFRAME -2\nENDCYCLE\nFRAME 2147483647\n"
                               "ADVANCEFRAME 1\nENDCYCLE\n"));
  sprite.RunCycle();
  EXPECT_EQ(9, sprite.frame);
  sprite.RunCycle();
  EXPECT_EQ(INT32_MIN, sprite.frame) << "wraps";
}

TEST_F(ScriptRunTest, FlagsAndTheirBranches) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite,
                       "SET 5\nIFNOT 4,2\nFRAME 1\nENDCYCLE\n"
                       "CLEAR 4\nIFNOT 4,2\nFRAME 9\nENDCYCLE\n"
                       ":2\nFRAME 2\nIF 1,3\nFRAME 8\n:3\nIFFRAME 2,4\nFRAME 7\n:4\nENDCYCLE\n"
                       "IF 1,0\n"));
  sprite.RunCycle();
  EXPECT_EQ(1, sprite.frame) << "flag 4 set: IFNOT falls through";
  EXPECT_EQ(5u, sprite.scriptFlags);
  sprite.RunCycle();
  EXPECT_EQ(2, sprite.frame) << "flag 4 cleared: IFNOT jumps, IF and IFFRAME jump over the other frames";
  EXPECT_EQ(1u, sprite.scriptFlags);
  EXPECT_EQ(17, sprite.pc);
  sprite.RunCycle();
  EXPECT_EQ(1, sprite.frame) << "label 0 is the start of the program";
}

TEST_F(ScriptRunTest, PositionDepthVisibilityAndHitFieldsOnAStage) {
  auto stage = MakeStage();
  auto* image = new FakeImage(10, 100, 8, 8);
  mSpriteImage sprite;
  sprite.SetImage(image);
  sprite.SetLooping(TRUE);
  ASSERT_EQ(1, Compile(sprite,
                       "FRAME 3\nPOSX 20\nPOSY 30\nPOSZ 4\nHITID 8\nHITMASK 12\nHITDEPTH 10\nENDCYCLE\n"
                       "ADVANCEFRAME 2\nMOVEX 5\nMOVEY -10\nMOVEZ 3\nHIDE\nHIDE\nSHOW\nENDCYCLE\n"
                       "SHOW\nFRAME 12\nENDCYCLE\n"));
  stage->AddSprite(&sprite);
  mRenderer other;
  other.depth = 5;
  stage->AddSprite(&other);

  sprite.Advance(0);
  EXPECT_EQ(3, sprite.frame);
  EXPECT_EQ(20, sprite.bounds.left);
  EXPECT_EQ(30, sprite.bounds.top);
  EXPECT_EQ(4, sprite.depth);
  EXPECT_EQ(&other, stage->sprites->previous) << "the deeper sprite is drawn last";
  EXPECT_EQ(8u, sprite.hitId);
  EXPECT_EQ(12u, sprite.hitMask);
  EXPECT_EQ(10, sprite.hitDepth);
  EXPECT_EQ(9, sprite.depthHigh);

  sprite.Advance(0);
  EXPECT_EQ(5, sprite.frame);
  EXPECT_EQ(25, sprite.bounds.left);
  EXPECT_EQ(20, sprite.bounds.top);
  EXPECT_EQ(7, sprite.depth);
  EXPECT_EQ(&sprite, stage->sprites->previous);
  EXPECT_TRUE(sprite.state & mSprite::kHidden) << "two hides, one show";

  sprite.Advance(0);
  EXPECT_FALSE(sprite.state & mSprite::kHidden);
  EXPECT_EQ(0, sprite.frame) << "frame 12 of 10, looping: back to the first";
  stage->RemoveSprite(&other);
  stage->RemoveSprite(&sprite);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptRunTest, HitTestsConsumeOnlyTheHitsTheyMatch) {
  auto stage = MakeStage();
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite,
                       "IFHITID 4,7\nENDCYCLE\nIFHITMASK 12,7\nENDCYCLE\nIFHIT 7\nENDCYCLE\n:7\nENDCYCLE\n"));
  sprite.hitRect = {0, 0, 10, 10};
  sprite.hitMask = 8;
  mRenderer other;
  other.hitId = 8;
  other.hitMask = 0;
  other.hitRect = {5, 5, 15, 15};
  stage->AddSprite(&sprite);
  stage->AddSprite(&other);
  stage->CheckHits();
  ASSERT_TRUE(sprite.state & mSprite::kHitPending);
  EXPECT_EQ(8, sprite.hitBy);

  sprite.RunCycle();
  EXPECT_EQ(2, sprite.pc) << "IFHITID 4 does not jump";
  EXPECT_TRUE(sprite.state & mSprite::kHitPending) << "and leaves the hit pending";
  sprite.RunCycle();
  EXPECT_EQ(8, sprite.pc) << "IFHITMASK 12 jumps";
  EXPECT_FALSE(sprite.state & mSprite::kHitPending) << "and consumes the hit";
  sprite.pc = 4;
  sprite.RunCycle();
  EXPECT_EQ(6, sprite.pc) << "no hit left: IFHIT does not jump";

  stage->CheckHits();
  sprite.pc = 4;
  sprite.RunCycle();
  EXPECT_EQ(8, sprite.pc) << "a new hit: IFHIT jumps";
  stage->RemoveSprite(&other);
  stage->RemoveSprite(&sprite);
}

TEST_F(ScriptRunTest, DelaysSetTheTimeToTheNextCycleOnTheStage) {
  auto stage = MakeStage();
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, ":1\nADVANCEFRAME\nDELAY 100\nENDCYCLE\nADVANCEFRAME\nDELAY 30\nLOOP 1\n"));
  sprite.interval = 50;
  stage->AddSprite(&sprite);
  std::vector<int> frames;
  for (int ms = 0; ms < 400; ms += 10) {
    headless::Advance(10);
    stage->Frame();
    frames.push_back(sprite.frame);
  }
  // Cycles at 50 (frame 1, next in 100), 150 (frame 2, loop back, next in
  // 30), 180 (frame 3, next in 100), 280 (frame 4, next in 30), 310 (frame 5).
  std::vector<int> expected;
  for (int ms = 10; ms <= 400; ms += 10)
    expected.push_back(ms < 50 ? 0 : ms < 150 ? 1 : ms < 180 ? 2 : ms < 280 ? 3 : ms < 310 ? 4 : 5);
  EXPECT_EQ(expected, frames);
  stage->RemoveSprite(&sprite);
}

TEST_F(ScriptRunTest, TimedCatchUpRunsOneCycleForEveryDelayLost) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, ":1\nADVANCEFRAME\nDELAY 100\nLOOP 1\n"));
  sprite.SetTimed(TRUE);
  sprite.Advance(0);
  EXPECT_EQ(1, sprite.frame);
  sprite.Advance(250);  // 250, 150, 50: three cycles
  EXPECT_EQ(4, sprite.frame);
  EXPECT_EQ(0, sprite.pc);
}

TEST_F(ScriptRunTest, SpeedIsStoredAndZeroRefused) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "DELAY 100\nSPEED 50\nENDCYCLE\nSPEED 0\nENDCYCLE\n"));
  sprite.RunCycle();
  EXPECT_EQ(50u, sprite.speed);
  EXPECT_EQ(100u, sprite.interval) << "SPEED leaves the interval alone";
  sprite.RunCycle();
  EXPECT_EQ(50u, sprite.speed);
}

TEST_F(ScriptRunTest, SoundsPlayByTheirIndexAndMissingOnesAreSkipped) {
  const std::string wav = std::string(ORVANEL_SOURCE_DIR) + "/tests/data/wav/short8.wav";
  {
    mSprite sprite;
    ASSERT_EQ(1, Compile(sprite, "WAVEFILE " + wav + "\nSOUND 1\nSOUND -1\nENDCYCLE\nSOUND 0\nENDCYCLE\n"));
    sprite.RunCycle();
    EXPECT_TRUE(headless::PlayedSounds().empty());
    sprite.RunCycle();
    EXPECT_EQ(1u, headless::PlayedSounds().size());
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptRunTest, ALoopThatNeverEndsItsCycleIsCut) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, ":1\nADVANCEFRAME\nGOTO 1\n"));
  EXPECT_EQ(0, sprite.RunCycle());
  EXPECT_EQ(mSprite::kMaxStepsPerCycle / 3, sprite.frame);
  sprite.Advance(0);  // returns
  EXPECT_EQ(2 * (mSprite::kMaxStepsPerCycle / 3) + 1, sprite.frame) << "the next cycle goes on where it stopped";

  mSprite counting;
  ASSERT_EQ(1, Compile(counting, ":1\nADVANCEFRAME\nIFFRAME 3000,2\nGOTO 1\n:2\nENDCYCLE\n"));
  EXPECT_EQ(1, counting.RunCycle()) << "a long loop that ends stays whole";
  EXPECT_EQ(3000, counting.frame);
}

TEST_F(ScriptRunTest, UnknownOpcodesAreStepsThatDoNothingAndEndEndsACycle) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "NOP\n"));
  sprite.program->Append(ProgInst{99, 0, 0});
  sprite.program->Append(ProgInst{kOpFrame, 0, 5});
  sprite.program->Append(ProgInst{kOpEnd, 0, 0});
  sprite.program->Append(ProgInst{kOpFrame, 0, 6});
  EXPECT_EQ(1, sprite.RunCycle());
  EXPECT_EQ(5, sprite.frame);
  EXPECT_EQ(4, sprite.pc);
}

TEST_F(ScriptRunTest, SpritesSharingAProgramKeepTheirOwnPlace) {
  mSprite first;
  ASSERT_EQ(1, Compile(first, ":1\nADVANCEFRAME\nSET 1\nENDCYCLE\nLOOP 1\n"));
  mSprite second;
  second.CopyFrom(first);
  first.Advance(0);
  first.Advance(0);
  first.Advance(0);
  second.Advance(0);
  EXPECT_EQ(2, first.frame);
  EXPECT_EQ(1, second.frame);
  EXPECT_EQ(1u, second.scriptFlags);
}

}  // namespace
