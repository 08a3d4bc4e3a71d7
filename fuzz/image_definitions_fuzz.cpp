// Image definition texts: a small animation is always the first source, so
// the statements that cut pieces out of it are reached; the frames made are
// then stepped through and drawn.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "media/image_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  static const std::string prefix = "FILE " ORVANEL_SOURCE_DIR "/tests/data/flic/boxes.flc\n";
  std::string text = prefix;
  text.append(reinterpret_cast<const char*>(data), size);
  mFile file;
  file.OpenMemory(text.data(), static_cast<int32_t>(text.size()));
  mImageBitmap image;
  image.ReadDefinitions(&file);
  file.Close();
  mBitmap target(40, 30, 8);
  image.SetTarget(&target);
  RECT clip = {3, 2, 35, 25};
  const int32_t frames = image.GetFileRecord()->frameCount;
  for (int32_t i = 0; i < frames && i < 64; ++i) {
    image.SeekFrame(i, 0);
    image.ReadFrame(-5 + i, 7 - i, &clip);
  }
  image.SetTarget(nullptr);
  return 0;
}
