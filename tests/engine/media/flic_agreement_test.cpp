// Every frame of the real-world FLICs and of writer-made ones decodes to what
// ffmpeg decodes (hashes made by tests/data/flic/make-expected); the malformed
// ones are read without going outside any buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/media/media_test_util.h"
#include "media/image_flic.h"
#include "support/host_fixture.h"

namespace {

std::string FixturesDir() {
  const char* env = std::getenv("ORVANEL_FIXTURES_DIR");
  return std::string(env ? env : ORVANEL_FIXTURES_DIR) + "/realworld";
}
std::string DataDir() { return std::string(ORVANEL_SOURCE_DIR) + "/tests/data/flic"; }

bool Exists(const std::string& path) {
  std::ifstream f(path);
  return f.good();
}

std::string FrameHash(const mImageFlic& image) { return mediatest::FrameHash(*image.FrameBitmap()->desc); }

class FlicAgreement : public testsupport::HeadlessTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FlicAgreement, EveryFrameMatchesFfmpeg) {
  std::string name = GetParam();
  std::string path = Exists(DataDir() + "/" + name) ? DataDir() + "/" + name : FixturesDir() + "/" + name;
  if (!Exists(path)) GTEST_SKIP() << "fixture missing: " << path;
  std::ifstream expected(DataDir() + "/expected/" + name + ".hashes");
  ASSERT_TRUE(expected.good());
  mImageFlic image;
  ASSERT_TRUE(image.Open(path.c_str(), 0));
  ASSERT_TRUE(image.ReadHeader());
  int frame;
  std::string hex;
  int frames = 0;
  while (expected >> frame >> hex) {
    if (frame > 0) {
      ASSERT_EQ(image.SeekFrame(frame, 0), frame);
    }
    EXPECT_EQ(FrameHash(image), hex) << name << " frame " << frame;
    ++frames;
  }
  EXPECT_EQ(frames, image.GetFileRecord()->frameCount);
  image.Close();
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, FlicAgreement,
                         ::testing::Values("2422.flc", "a.fli", "ANN2.FLI", "boxes.flc", "boxes.fli", "odd.flc",
                                           "still.flc"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

class FlicMalformed : public testsupport::HeadlessTest {};

TEST_F(FlicMalformed, RealWorldFilesAreReadSafely) {
  for (const char* name : {"crash-5762152299364352.fli", "fli_overflow.fli", "hopper.fli",
                           "hopper_palette_chunk_second.fli"}) {
    std::string path = FixturesDir() + "/" + name;
    if (!Exists(path)) GTEST_SKIP() << "fixture missing: " << path;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (bool memory : {false, true}) {
      mImageFlic image;
      if (memory) image.OpenMemory(bytes.data(), static_cast<int32_t>(bytes.size()));
      else ASSERT_TRUE(image.Open(path.c_str(), 0));
      if (image.ReadHeader()) {
        for (int i = 0; i < 3; ++i) image.SeekFrame(0, 0), image.SeekFrame(1, 0);
      }
      image.Close();
    }
  }
  mediatest::TakeReports();
}

TEST_F(FlicMalformed, HopperPaletteOrderGivesTheSamePicture) {
  std::string a = FixturesDir() + "/hopper.fli", b = FixturesDir() + "/hopper_palette_chunk_second.fli";
  if (!Exists(a) || !Exists(b)) GTEST_SKIP() << "fixtures missing";
  mImageFlic first, second;
  ASSERT_TRUE(first.Open(a.c_str(), 0) && first.ReadHeader());
  ASSERT_TRUE(second.Open(b.c_str(), 0) && second.ReadHeader());
  EXPECT_EQ(FrameHash(first), FrameHash(second));
  EXPECT_EQ(*first.FrameBitmap()->desc->Pixel(64, 64), *second.FrameBitmap()->desc->Pixel(64, 64));
  first.Close();
  second.Close();
}

}  // namespace
