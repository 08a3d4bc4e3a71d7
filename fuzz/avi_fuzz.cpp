// The AVI reader over a memory block: the header, every frame in order, then
// seeks forward, backward and through the index, with the sound playing.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "media/image_avi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  mBitmap target(64, 48, 8);
  {
    mImageAVI image;
    image.OpenMemory(data, static_cast<int32_t>(size));
    if (image.ReadHeader()) {
      image.SetTarget(&target);
      image.StreamPlay(0, 1);
      int frames = image.GetFileRecord()->frameCount;
      if (frames > 200) frames = 200;
      for (int i = 0; i < frames; ++i) {
        image.SeekFrame(i, 0);
        if (image.ReadFrame(i % 7 - 3, i % 5 - 2, nullptr) < 0) break;
      }
      for (int t : {frames - 1, 3, frames / 2 + 12, 0, 40}) {
        image.SeekFrame(t, 0);
        image.ReadFrame(0, 0, nullptr);
      }
      image.StreamStop();
      image.SetTarget(nullptr);
    }
    image.Close();
  }
  return 0;
}
