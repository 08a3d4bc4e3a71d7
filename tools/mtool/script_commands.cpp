// mtool's script command: a sprite script compiled and listed instruction by
// instruction, with jumps shown as the index they reach.
#include <cstdio>

#include "media/file.h"
#include "mtool/mtool.h"
#include "sprites/script.h"
#include "sprites/script_keywords.h"
#include "sprites/sprite.h"

namespace mtool {

int ScriptList(const std::string& path) {
  mFile file;
  if (!file.Open(path.c_str(), 0)) return Fail(OpenFailure(path));
  mSprite sprite;
  const int compiled = sprite.LoadScript(&file);
  file.Close();
  if (!compiled || !sprite.program || sprite.program->count == 0) return Fail("holds no script statements");
  const mScript& program = *sprite.program;
  for (int i = 0; i < program.count; ++i) {
    const ProgInst& instruction = program.instructions[i];
    const char* keyword = instruction.opcode < kOpCount ? kScriptKeywords[instruction.opcode] : "?";
    std::printf("%3d %-12s value %d", i, keyword, instruction.value);
    const uint16_t op = instruction.opcode;
    const bool jumps = (op >= kOpIf && op <= kOpIfHitMask) || op == kOpGoto || op == kOpLoop;
    if (jumps) std::printf(" -> %d", instruction.target);
    std::printf("\n");
  }
  int sounds = 0;
  for (const mSprite::SoundNode* node = sprite.sounds; node; node = node->next) ++sounds;
  std::printf("%d instructions, %d sounds\n", program.count, sounds);
  return ErrorReported() ? 1 : 0;
}

}  // namespace mtool
