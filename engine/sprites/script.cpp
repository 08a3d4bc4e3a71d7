#include "sprites/script.h"

mScript::mScript() {
  memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kCapacity * sizeof(ProgInst));
  if (memory) instructions = static_cast<ProgInst*>(GlobalLock(memory));
}

mScript::~mScript() {
  if (refCount != 0) {
    ReportWarning(kClassScript, kErrStillInUse, nullptr);
    refCount = 0;
  }
  if (memory) {
    GlobalUnlock(memory);
    GlobalFree(memory);
  }
}

int mScript::Append(const ProgInst& instruction) {
  if (!instructions || count >= kCapacity) return 0;
  instructions[count++] = instruction;
  return count;
}
