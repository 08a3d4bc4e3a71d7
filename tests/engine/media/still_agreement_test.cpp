// BMP, PCX and DCX pictures made by ImageMagick and netpbm, and the real-world
// PCX and DCX files, decode to what ffmpeg decodes (tests/data/stills/make-samples).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_pcx.h"
#include "support/host_fixture.h"

namespace {

std::string DataDir() { return std::string(ORVANEL_SOURCE_DIR) + "/tests/data/stills"; }
std::string FixturesDir() {
  const char* env = std::getenv("ORVANEL_FIXTURES_DIR");
  return std::string(env ? env : ORVANEL_FIXTURES_DIR) + "/realworld";
}
bool Exists(const std::string& path) { return std::ifstream(path).good(); }

std::unique_ptr<mImageFile> MakeImage(const std::string& name) {
  std::string ext = name.substr(name.size() - 3);
  if (ext == "bmp") return std::make_unique<mImageBMP>();
  if (ext == "dcx") return std::make_unique<mImageDCX>();
  return std::make_unique<mImagePCX>();
}

struct Hasher {
  uint64_t value = 0xcbf29ce484222325ull;
  void Add(uint8_t b) { value = (value ^ b) * 0x100000001b3ull; }
  std::string Hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
  }
};

class StillAgreement : public testsupport::HeadlessTest {};

TEST_F(StillAgreement, EveryPictureMatchesFfmpeg) {
  std::ifstream expected(DataDir() + "/expected.txt");
  ASSERT_TRUE(expected.good());
  std::string name, indicesHex, paletteHex;
  int page, width, height, checked = 0;
  while (expected >> name >> page >> width >> height >> indicesHex >> paletteHex) {
    SCOPED_TRACE(name + " page " + std::to_string(page));
    std::string path = Exists(DataDir() + "/" + name) ? DataDir() + "/" + name : FixturesDir() + "/" + name;
    if (!Exists(path)) continue;  // a real-world fixture not beside this checkout
    auto image = MakeImage(name);
    ASSERT_TRUE(image->Open(path.c_str(), 0));
    ASSERT_TRUE(image->ReadHeader());
    ASSERT_EQ(image->SeekFrame(page, 0), name.ends_with("dcx") ? page : 0);
    ASSERT_EQ(image->GetFrameRecord()->frameWidth, width);
    ASSERT_EQ(image->GetFrameRecord()->frameHeight, height);
    mBitmap target(width, height, 8);
    image->SetTarget(&target);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
    Hasher indices, palette;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) indices.Add(*target.desc->Pixel(x, y));
    EXPECT_EQ(indices.Hex(), indicesHex);
    // ffmpeg shows 1-bit pictures black and white whatever the header says.
    const auto* frame = image->GetFrameRecord();
    if (frame->depth * frame->planes > 1) {
      ASSERT_NE(frame->palette, nullptr);
      for (int i = 0; i < 256; ++i) {
        palette.Add(frame->palette[i].rgbBlue);
        palette.Add(frame->palette[i].rgbGreen);
        palette.Add(frame->palette[i].rgbRed);
      }
      EXPECT_EQ(palette.Hex(), paletteHex);
    }
    image->SetTarget(nullptr);
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

// True colour reaches the 8-bit target through 16 levels per channel and the
// target's nearest colour: on a 6 x 6 x 6 colour cube every pixel lies within
// a cube step and a level of ffmpeg's colour.
TEST_F(StillAgreement, TrueColourLandsOnTheNearestCubeColour) {
  for (const char* name : {"bmp24.bmp", "pcx24.pcx"}) {
    SCOPED_TRACE(name);
    std::string rgbName = name;
    rgbName[5] = '_';
    std::ifstream rgbFile(DataDir() + "/" + rgbName + ".rgb", std::ios::binary);
    std::vector<uint8_t> rgb((std::istreambuf_iterator<char>(rgbFile)), {});
    auto image = MakeImage(name);
    ASSERT_TRUE(image->Open((DataDir() + "/" + name).c_str(), 0));
    ASSERT_TRUE(image->ReadHeader());
    int width = image->GetFrameRecord()->frameWidth, height = image->GetFrameRecord()->frameHeight;
    ASSERT_EQ(rgb.size(), static_cast<size_t>(width * height * 3));
    mBitmap target(width, height, 8);
    RGBQUAD cube[256] = {};
    for (int i = 0; i < 216; ++i)
      cube[i] = RGBQUAD{static_cast<BYTE>(i % 6 * 51), static_cast<BYTE>(i / 6 % 6 * 51), static_cast<BYTE>(i / 36 * 51), 0};
    target.SetColours(cube, 0, 256);
    image->SetTarget(&target);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
    int far = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const RGBQUAD& c = target.desc->colours[*target.desc->Pixel(x, y)];
        const uint8_t* want = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        if (std::abs(c.rgbRed - want[0]) > 42 || std::abs(c.rgbGreen - want[1]) > 42 || std::abs(c.rgbBlue - want[2]) > 42)
          ++far;
      }
    EXPECT_EQ(far, 0);
    image->SetTarget(nullptr);
  }
}

}  // namespace
