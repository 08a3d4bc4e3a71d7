// The BMP, PCX and DCX readers over one disk file: the first byte of the
// input picks the reader, the rest is the file. Each picture is drawn into an
// 8-bit and a 24-bit target, at a placement that needs clipping.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_pcx.h"

namespace {

std::unique_ptr<mImageFile> MakeReader(uint8_t which) {
  switch (which % 3) {
    case 0:
      return std::make_unique<mImageBMP>();
    case 1:
      return std::make_unique<mImagePCX>();
    default:
      return std::make_unique<mImageDCX>();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzHostOnce();
  static const std::string path = "/tmp/orvanel-fuzz-still-" + std::to_string(getpid());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  std::unique_ptr<mImageFile> image = MakeReader(data[0]);
  mBitmap indexed(37, 23, 8);
  mBitmap direct(29, 17, 24);
  if (image->Open(path.c_str(), 0) && image->ReadHeader()) {
    RECT clip{2, 1, 30, 20};
    image->SetTarget(&indexed);
    image->ReadFrame(-3, -2, &clip);
    image->SeekFrame(1, 0);
    image->ReadFrame(5, 4, nullptr);
    image->SetTarget(&direct);
    image->SeekFrame(0, 0);
    image->ReadFrame(-1, 3, nullptr);
    image->SetTarget(nullptr);
  }
  image->Close();
  return 0;
}
