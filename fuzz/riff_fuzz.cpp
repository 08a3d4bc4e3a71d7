// RIFF navigation: descend, find, list, ascend and skip driven by the input's own ids.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "media/file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  if (size < 4) return 0;
  uint8_t script = data[0];  // which operations, in which order
  mFile f;
  f.OpenMemory(data + 1, static_cast<int32_t>(size - 1));
  uint32_t form;
  std::memcpy(&form, data + size - 4, 4);
  if (f.RiffDescend(form) || (script & 1)) {
    for (int step = 0; step < 32; ++step) {
      switch ((script >> (step % 4)) & 3) {
        case 0: f.ListDescend(FourCC("LIST") ^ static_cast<uint32_t>(step & 1) ^ form); break;
        case 1: f.FindChunk(form); break;
        case 2: f.ChunkAscend(); break;
        default: f.NextChunk(); f.ChunkSkip(); break;
      }
    }
  }
  f.Close();
  return 0;
}
