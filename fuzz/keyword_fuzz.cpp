// The keyword reader over a (read-only) memory block and over a small window.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "media/file.h"

namespace {
const char* const kWords[] = {"SPEED", "IF", "IFNOT", "FRAME", ":", "LABEL", "X", ""};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  mFile f;
  f.OpenMemory(data, static_cast<int32_t>(size));
  for (int i = 0; i < 100000; ++i) {
    int k = f.ReadKeyword(kWords);
    if (k < 0) break;
    // The argument is a terminated text of at most 80 characters.
    if (std::strlen(reinterpret_cast<const char*>(f.GetFileState()->readPtr)) > 80) __builtin_trap();
  }
  f.Close();
  return 0;
}
