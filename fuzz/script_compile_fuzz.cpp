// The script compiler over arbitrary text in a memory block, and the program
// it makes run for a few cycles on a sprite that gets hit now and then.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "media/file.h"
#include "sprites/script.h"
#include "sprites/sprite.h"

namespace {

// WAVEFILE opens whatever file the text names; the fuzzer is kept off the disk.
bool NamesAFile(const uint8_t* data, size_t size) {
  static const char kWord[] = "WAVEFILE";
  for (size_t i = 0; i + 8 <= size; ++i) {
    size_t k = 0;
    while (k < 8 && (data[i + k] & 0xDF) == kWord[k]) ++k;
    if (k == 8) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (NamesAFile(data, size)) return 0;
  FuzzHostOnce();
  mFile file;
  file.OpenMemory(data, static_cast<int32_t>(size));
  mSprite sprite;
  sprite.bounds = {0, 0, 16, 16};
  sprite.hitRect = sprite.bounds;
  mRenderer other;
  other.hitId = 0x5A5A;
  sprite.LoadScript(&file);
  file.Close();
  if (sprite.program) {
    const mScript& program = *sprite.program;
    for (int i = 0; i < program.count; ++i)
      if (program.instructions[i].target >= program.count) __builtin_trap();
    for (int cycle = 0; cycle < 8; ++cycle) {
      if (cycle % 3 == 0) sprite.Hit(&other);
      if (sprite.state & mSprite::kPaused) sprite.Resume();
      sprite.Advance(0);
    }
  }
  return 0;
}
