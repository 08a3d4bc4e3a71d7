// The script compiler: statements into instructions, labels into indexes,
// and the reports of statements that cannot be compiled.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/media/media_test_util.h"
#include "engine/sprites/script_test_util.h"
#include "media/audio_wav.h"
#include "support/host_fixture.h"

namespace {

using mediatest::TakeReports;
using scripttest::Compile;
using scripttest::Inst;
using scripttest::Program;

class ScriptCompileTest : public testsupport::HeadlessTest {};

TEST_F(ScriptCompileTest, EveryStatementCompilesToItsOpcodeAndOperands) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite,
                       "NOP\nLABEL 1\n:2\nFRAME 3\nADVANCEFRAME 4\nDELAY 5\nSPEED 6\nPAUSE\nPOSX 8\nPOSY -9\n"
                       "POSZ 10\nMOVEX 11\nMOVEY 12\nMOVEZ -13\nHIDE\nSHOW\nSOUND 17\nSET 18\nCLEAR 19\n"
                       "IF 20,1\nIFNOT 21,2\nIFFRAME 22,1\nIFHIT 2\nIFHITID 24,1\nIFHITMASK 25,2\nHITID 26\n"
                       "HITMASK 27\nHITDEPTH 28\nGOTO 1\nLOOP 2\nENDCYCLE\nEND\nFRAME 99\n"));
  // Jumps hold the index of their label: label 1 is instruction 1, label 2 instruction 2.
  const std::vector<Inst> expected = {
      {kOpNop, 0, 0},      {kOpLabel, 0, 1},      {kOpColon, 0, 2},      {kOpFrame, 0, 3},
      {kOpAdvanceFrame, 0, 4}, {kOpDelay, 0, 5},  {kOpSpeed, 0, 6},      {kOpPause, 0, 0},
      {kOpPosX, 0, 8},     {kOpPosY, 0, -9},      {kOpPosZ, 0, 10},      {kOpMoveX, 0, 11},
      {kOpMoveY, 0, 12},   {kOpMoveZ, 0, -13},    {kOpHide, 0, 0},       {kOpShow, 0, 0},
      {kOpSound, 0, 17},   {kOpSet, 0, 18},       {kOpClear, 0, 19},     {kOpIf, 1, 20},
      {kOpIfNot, 2, 21},   {kOpIfFrame, 1, 22},   {kOpIfHit, 2, 0},      {kOpIfHitId, 1, 24},
      {kOpIfHitMask, 2, 25}, {kOpHitId, 0, 26},   {kOpHitMask, 0, 27},   {kOpHitDepth, 0, 28},
      {kOpGoto, 1, 0},     {kOpLoop, 2, 0},       {kOpEndCycle, 0, 0},
  };
  EXPECT_EQ(expected, Program(sprite)) << scripttest::Describe(Program(sprite));
  EXPECT_EQ(1, sprite.program->refCount);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, TheWaysOfWritingAStatement) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite,
                       "DELAY 100\n"
                       "delay=101\r\n"
                       "Delay\t =  102\n"
                       "then DELAY 103\n"           // words before a keyword are passed over
                       "FRAMES 2\n"                 // no keyword, and neither is its 2
                       "// FRAME 3\n"               // a comment
                       "FRAME 4 // note\n"          // the note is after the number
                       "IFNOT 1,0\n"                // not taken for IF
                       ":7\n"                       // a label with no blank
                       "ADVANCEFRAME\nADVANCEFRAME 0\nADVANCEFRAME -2\n"
                       "FRAME 12abc\nFRAME -\nFRAME +5\nFRAME 99999999999\nFRAME -99999999999\n"
                       "FRAME 8"));                 // no final line end
  const std::vector<Inst> expected = {
      {kOpDelay, 0, 100}, {kOpDelay, 0, 101}, {kOpDelay, 0, 102}, {kOpDelay, 0, 103},
      {kOpFrame, 0, 4},   {kOpIfNot, 0, 1},   {kOpColon, 0, 7},   {kOpAdvanceFrame, 0, 1},
      {kOpAdvanceFrame, 0, 1}, {kOpAdvanceFrame, 0, -2}, {kOpFrame, 0, 12}, {kOpFrame, 0, 0},
      {kOpFrame, 0, 5},   {kOpFrame, 0, INT32_MAX}, {kOpFrame, 0, INT32_MIN}, {kOpFrame, 0, 8},
  };
  EXPECT_EQ(expected, Program(sprite)) << scripttest::Describe(Program(sprite));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, JumpsWithoutTheirLabelAreReportedAndBecomeNop) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "IF 3\nGOTO 0\nLOOP\nIFHIT 65536\nIFFRAME 2,\nFRAME 1\n"));
  EXPECT_EQ((std::vector<std::string>{"mSprite|Missing parameter:IF", "mSprite|Missing parameter:GOTO",
                                      "mSprite|Missing parameter:LOOP", "mSprite|Missing parameter:IFHIT"}),
            TakeReports())
      << "a comma with nothing after it is label 0, the start: no report for IFFRAME";
  EXPECT_EQ((std::vector<Inst>{{kOpNop, 0, 0}, {kOpNop, 0, 0}, {kOpNop, 0, 0}, {kOpNop, 0, 0},
                               {kOpIfFrame, 0, 2}, {kOpFrame, 0, 1}}),
            Program(sprite));
}

TEST_F(ScriptCompileTest, AJumpToALabelNeverDefinedBecomesNop) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "FRAME 3\nENDCYCLE\nLOOP 1\n"));
  EXPECT_EQ(std::vector<std::string>{"mSprite|Label doesn't exist:1"}, TakeReports());
  EXPECT_EQ((std::vector<Inst>{{kOpFrame, 0, 3}, {kOpEndCycle, 0, 0}, {kOpNop, 0, 0}}), Program(sprite));
}

TEST_F(ScriptCompileTest, LabelNumbersBeyondSixteenBitsReachNoNamesake) {
  // 70000 and -1 keep 4464 and 65535 in a 16-bit target; the labels of those
  // numbers must not be taken for them.
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, ":4464\n:65535\nGOTO 70000\nIF 1,-1\nGOTO 65535\nLABEL 70000\n"));
  EXPECT_EQ((std::vector<std::string>{"mSprite|Label doesn't exist:70000", "mSprite|Label doesn't exist:-1"}),
            TakeReports());
  std::vector<Inst> program = Program(sprite);
  ASSERT_EQ(6u, program.size());
  EXPECT_EQ((Inst{kOpNop, 0, 0}), program[2]);
  EXPECT_EQ((Inst{kOpNop, 0, 1}), program[3]) << "the bits stay, the jump is gone";
  EXPECT_EQ((Inst{kOpGoto, 1, 0}), program[4]);
}

TEST_F(ScriptCompileTest, TheFirstOfTwoEqualLabelsIsTheDestination) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "GOTO 5\nLABEL 5\n:5\n"));
  EXPECT_EQ(1, Program(sprite)[0].target);
}

TEST_F(ScriptCompileTest, NoStatementsGiveNoProgram) {
  for (const char* text : {"", "END\nFRAME 1\n", "// nothing\n\n   \n", "no keywords here"}) {
    mSprite sprite;
    EXPECT_EQ(0, Compile(sprite, text)) << text;
    EXPECT_EQ(nullptr, sprite.program) << text;
  }
  mSprite sprite;
  mFile closed;
  EXPECT_EQ(0, sprite.LoadScript(&closed));
  EXPECT_EQ(0, sprite.LoadScript(nullptr));
  EXPECT_EQ(nullptr, sprite.program);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, StatementsPastTheCapacityAreDroppedWithOneReport) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "FRAME " + std::to_string(i) + "\n";
  text += "LABEL 1\n";
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "GOTO 1\n" + text));
  std::vector<Inst> program = Program(sprite);
  ASSERT_EQ(255u, program.size());
  EXPECT_EQ((Inst{kOpFrame, 0, 253}), program.back());
  EXPECT_EQ((std::vector<std::string>{"mSprite|Value out of range:Program full", "mSprite|Label doesn't exist:1"}),
            TakeReports());
  EXPECT_EQ(kOpNop, program[0].opcode);
}

TEST_F(ScriptCompileTest, ASecondTextAppendsAndKeepsTheFirstTextsJumps) {
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "NOP\n:1\nGOTO 1\n"));
  ASSERT_EQ(1, Compile(sprite, ":2\nGOTO 2\nGOTO 1\n"));
  EXPECT_EQ((std::vector<Inst>{{kOpNop, 0, 0}, {kOpColon, 0, 1}, {kOpGoto, 1, 0}, {kOpColon, 0, 2},
                               {kOpGoto, 3, 0}, {kOpGoto, 1, 0}}),
            Program(sprite));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, ACopySharesTheProgram) {
  auto* first = new mSprite;
  ASSERT_EQ(1, Compile(*first, "FRAME 1\n"));
  mSprite copy;
  copy.CopyFrom(*first);
  EXPECT_EQ(first->program, copy.program);
  EXPECT_EQ(2, copy.program->refCount);
  delete first;
  EXPECT_EQ(1, copy.program->refCount);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, WaveFilesAttachSoundsInOrderAndMissingOnesAreReported) {
  const std::string wav = std::string(ORVANEL_SOURCE_DIR) + "/tests/data/wav/mono8.wav";
  mSprite sprite;
  ASSERT_EQ(1, Compile(sprite, "WAVEFILE " + wav + "  \nWAVEFILE /nonexistent/boom.wav\nWAVEFILE=" + wav + "\n"));
  EXPECT_EQ((std::vector<Inst>{{kOpWaveFile, 0, 0}, {kOpWaveFile, 0, 0}, {kOpWaveFile, 0, 0}}), Program(sprite));
  std::vector<std::string> reports = TakeReports();
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ("mFile|File open error:/nonexistent/boom.wav", reports[0]);
  EXPECT_EQ("mSprite|File open error:/nonexistent/boom.wav", reports[1]);
  int sounds = 0;
  for (mSprite::SoundNode* node = sprite.sounds; node; node = node->next) {
    ++sounds;
    EXPECT_EQ(1, node->sound->refCount);
  }
  EXPECT_EQ(2, sounds);
}

TEST_F(ScriptCompileTest, ATextOnDiskCompilesLikeOneInMemory) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "   // a comment line long enough to make the file span windows\nMOVEX 1\n";
  text += ":9\nGOTO 9";
  mediatest::TempFile file(text);
  mFile disk;
  ASSERT_TRUE(disk.Open(file.Path(), 0));
  mSprite fromDisk, fromMemory;
  ASSERT_EQ(1, fromDisk.LoadScript(&disk));
  disk.Close();
  ASSERT_EQ(1, Compile(fromMemory, text));
  EXPECT_EQ(Program(fromMemory), Program(fromDisk));
  EXPECT_EQ(202u, Program(fromDisk).size());
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ScriptCompileTest, BinaryGarbageCompilesToSomethingOrNothingSafely) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string text(1 + random() % 600, '\0');
    for (char& c : text) c = static_cast<char>(random() % 4 == 0 ? " \n:,0123456789"[random() % 14] : random());
    // A few real keywords among the noise.
    text.insert(random() % text.size(), "IF 1,");
    text.insert(random() % text.size(), "GOTO 3\n");
    mSprite sprite;
    Compile(sprite, text);
    if (sprite.program) {
      for (const Inst& i : Program(sprite)) {
        EXPECT_LT(i.opcode, kOpEnd);
        EXPECT_LT(i.target, sprite.program->count);
      }
      for (int cycle = 0; cycle < 20; ++cycle) sprite.RunCycle();
    }
    headless::ClearMessageBoxes();
  }
}

}  // namespace
