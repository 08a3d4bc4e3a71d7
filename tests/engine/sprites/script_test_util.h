// Helpers of the script tests: compiling a text into a sprite and reading the
// program back.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "media/file.h"
#include "sprites/script.h"
#include "sprites/script_keywords.h"
#include "sprites/sprite.h"

namespace scripttest {

// LoadScript over the text as a memory block.
inline int Compile(mSprite& sprite, const std::string& text) {
  mFile file;
  file.OpenMemory(text.data(), static_cast<int32_t>(text.size()));
  int result = sprite.LoadScript(&file);
  file.Close();
  return result;
}

struct Inst {
  int opcode, target, value;
  bool operator==(const Inst&) const = default;
};

inline std::vector<Inst> Program(const mSprite& sprite) {
  std::vector<Inst> out;
  if (!sprite.program) return out;
  for (int i = 0; i < sprite.program->count; ++i) {
    const ProgInst& p = sprite.program->instructions[i];
    out.push_back({p.opcode, p.target, p.value});
  }
  return out;
}

inline std::string Describe(const std::vector<Inst>& program) {
  std::string out;
  for (const Inst& i : program) {
    out += i.opcode < kOpCount ? kScriptKeywords[i.opcode] : std::to_string(i.opcode);
    out += "(" + std::to_string(i.target) + "," + std::to_string(i.value) + ") ";
  }
  return out;
}

}  // namespace scripttest

inline std::ostream& operator<<(std::ostream& os, const scripttest::Inst& i) {
  return os << "{" << i.opcode << "," << i.target << "," << i.value << "}";
}
