// The script interpreter: one cycle of the sprite's program.
#include "sprites/script.h"
#include "sprites/script_keywords.h"
#include "sprites/sprite.h"
#include "sprites/wrap_math.h"

int mSprite::RunCycle() {
  if (!program) return 0;
  const ProgInst* code = program->instructions;
  for (int steps = 0; steps < kMaxStepsPerCycle; ++steps) {
    if (pc < 0 || pc >= program->count) return 0;
    const ProgInst& instruction = code[pc];
    ++pc;  // jumps overwrite it
    switch (instruction.opcode) {
      case kOpFrame:
        frame = instruction.value;
        break;
      case kOpAdvanceFrame:
        frame = WrapAdd(frame, instruction.value);
        break;
      case kOpDelay:
        interval = static_cast<uint32_t>(instruction.value);
        break;
      case kOpSpeed:
        // A speed of 0 would stop the sprite's time and divide by zero.
        if (instruction.value != 0) speed = static_cast<uint32_t>(instruction.value);
        break;
      case kOpPause:
        Pause();
        return 1;
      case kOpPosX:
        x = instruction.value;
        break;
      case kOpPosY:
        y = instruction.value;
        break;
      case kOpPosZ:
        SetDepth(instruction.value);
        break;
      case kOpMoveX:
        x = WrapAdd(x, instruction.value);
        break;
      case kOpMoveY:
        y = WrapAdd(y, instruction.value);
        break;
      case kOpMoveZ:
        depth = WrapAdd(depth, instruction.value);
        SetDepth(depth);
        break;
      case kOpHide:
        Hide();
        break;
      case kOpShow:
        Show();
        break;
      case kOpSound:
        PlaySound(instruction.value, 0, 1);
        break;
      case kOpSet:
        scriptFlags |= static_cast<uint32_t>(instruction.value);
        break;
      case kOpClear:
        scriptFlags &= ~static_cast<uint32_t>(instruction.value);
        break;
      case kOpIf:
        if (scriptFlags & static_cast<uint32_t>(instruction.value)) pc = instruction.target;
        break;
      case kOpIfNot:
        if (!(scriptFlags & static_cast<uint32_t>(instruction.value))) pc = instruction.target;
        break;
      case kOpIfFrame:
        if (frame == instruction.value) pc = instruction.target;
        break;
      case kOpIfHit:
        if (state & kHitPending) {
          state &= ~kHitPending;
          pc = instruction.target;
        }
        break;
      case kOpIfHitId:
        if ((state & kHitPending) && hitBy == instruction.value) {
          state &= ~kHitPending;
          pc = instruction.target;
        }
        break;
      case kOpIfHitMask:
        if ((state & kHitPending) && (static_cast<uint32_t>(hitBy) & static_cast<uint32_t>(instruction.value))) {
          state &= ~kHitPending;
          pc = instruction.target;
        }
        break;
      case kOpHitId:
        hitId = static_cast<uint32_t>(instruction.value);
        break;
      case kOpHitMask:
        hitMask = static_cast<uint32_t>(instruction.value);
        break;
      case kOpHitDepth:
        SetHitDepth(instruction.value);
        break;
      case kOpGoto:
        pc = instruction.target;
        break;
      case kOpLoop:
        pc = instruction.target;
        return 1;
      case kOpEndCycle:
      case kOpEnd:
        return 1;
      default:  // NOP, labels, WAVEFILE and anything unknown
        break;
    }
  }
  // A loop that never ends its cycle is cut here; the next cycle goes on
  // where this one stopped.
  return 0;
}
