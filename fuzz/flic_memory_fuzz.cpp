// The FLIC reader over a memory block: header, every frame, the wrap and a rewind.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "media/image_flic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  mImageFlic image;
  image.OpenMemory(data, static_cast<int32_t>(size));
  if (image.ReadHeader()) {
    int frames = image.GetFileRecord()->frameCount;
    auto* stage = new mBitmap(image.GetFrameRecord()->frameWidth, image.GetFrameRecord()->frameHeight, 8);
    image.SetTarget(stage);
    RECT clip{1, 1, 5, 5};
    for (int i = 0; i < frames && i < 64; ++i) image.SeekFrame(i, 0), image.ReadFrame(-2, -3, &clip);
    image.SeekFrame(0, 0);
    image.SeekFrame(1, 0);
    image.SeekFrame(0, 0);
    image.ReadFrame(0, 0, nullptr);
    image.SetTarget(nullptr);
  }
  image.Close();
  return 0;
}
