// The statements of the sprite script language: one keyword each, and the
// keyword's index in the table is the opcode it compiles to.
#pragma once

#include <cstdint>

enum ScriptOp : uint16_t {
  kOpNop = 0,
  kOpLabel = 1,
  kOpColon = 2,
  kOpFrame = 3,
  kOpAdvanceFrame = 4,
  kOpDelay = 5,
  kOpSpeed = 6,
  kOpPause = 7,
  kOpPosX = 8,
  kOpPosY = 9,
  kOpPosZ = 10,
  kOpMoveX = 11,
  kOpMoveY = 12,
  kOpMoveZ = 13,
  kOpHide = 14,
  kOpShow = 15,
  kOpWaveFile = 16,
  kOpSound = 17,
  kOpSet = 18,
  kOpClear = 19,
  kOpIf = 20,
  kOpIfNot = 21,
  kOpIfFrame = 22,
  kOpIfHit = 23,
  kOpIfHitId = 24,
  kOpIfHitMask = 25,
  kOpHitId = 26,
  kOpHitMask = 27,
  kOpHitDepth = 28,
  kOpGoto = 29,
  kOpLoop = 30,
  kOpEndCycle = 31,
  kOpEnd = 32,
  kOpCount = 33,
};

// Upper-case keywords in opcode order, ended by an empty text, as the
// keyword reader takes them.
extern const char* const kScriptKeywords[kOpCount + 1];

// The number at the start of text: leading blanks, an optional sign, decimal
// digits up to the first other character; 0 without digits. Values beyond
// 32 bits stop at the nearest end of the range. end (if given) gets the first
// character not read.
int32_t ScriptNumber(const char* text, const char** end = nullptr);
