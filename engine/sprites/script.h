// mScript: a compiled sprite program, shared by the sprites that run it.
// The compiler and interpreter build on this; a sprite without a program
// steps its frame instead.
#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/object.h"

// One compiled statement.
struct ProgInst {
  uint16_t opcode;
  uint16_t target;
  int32_t value;
};

class mScript : public mObject {
 public:
  static constexpr int kCapacity = 255;

  mScript();
  ~mScript() override;

  // Appends one instruction; 0 when the program is full.
  int Append(const ProgInst& instruction);

  ProgInst* instructions = nullptr;
  int32_t count = 0;
  HGLOBAL memory = nullptr;
};
