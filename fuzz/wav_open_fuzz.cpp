// The sound reader over a disk file: the header, then a short play on the
// virtual device driven by the message loop.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "media/audio_wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  static const std::string path = "/tmp/orvanel-fuzz-" + std::to_string(getpid()) + ".wav";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  {
    mAudioWAV sound;
    if (sound.Open(path.c_str(), 0) && sound.StreamOpen(size > 0 ? data[0] : 0)) {
      sound.SetBuffering(256, 2);
      sound.SetUnits(2);
      if (sound.StreamPlay(4096, 2)) {
        MSG msg;
        for (int i = 0; i < 400 && sound.Playing(); ++i)
          if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      }
    }
  }
  return 0;
}
