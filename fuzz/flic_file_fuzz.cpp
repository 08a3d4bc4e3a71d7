// The FLIC reader over a disk file, with the window refilled from the platform.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "media/image_flic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  static const std::string path = "/tmp/orvanel-fuzz-" + std::to_string(getpid()) + ".flc";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  mImageFlic image;
  if (image.Open(path.c_str(), 0) && image.ReadHeader()) {
    int frames = image.GetFileRecord()->frameCount;
    for (int i = 0; i < frames && i < 64; ++i) image.SeekFrame(i, 0);
    image.SeekFrame(0, 0);
    image.SeekFrame(1, 0);
  }
  image.Close();
  return 0;
}
