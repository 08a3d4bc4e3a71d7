// Every frame of the sample movies decodes to what ffmpeg decodes (hashes
// made by tests/data/avi/make-expected), read in order and reached by seeks;
// a movie played like the saver plays it sounds every byte ffmpeg reads.
#include <cstdio>
#include <fstream>
#include <vector>

#include "engine/media/avi_test_util.h"
#include "engine/media/media_test_util.h"

namespace avitest {
namespace {

using testsupport::RunFor;
using testsupport::RunUntil;

std::string DataDir() { return std::string(ORVANEL_SOURCE_DIR) + "/tests/data/avi"; }

std::string FrameHash(const mImageAVI& image) { return mediatest::FrameHash(*image.FrameBitmap()->desc); }

std::vector<std::string> ExpectedHashes(const std::string& name) {
  std::ifstream in(DataDir() + "/expected/" + name + ".hashes");
  std::vector<std::string> hashes;
  int frame;
  std::string hex;
  while (in >> frame >> hex) hashes.push_back(hex);
  return hashes;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class AviAgreement : public AviTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AviAgreement, EveryFrameMatchesFfmpegInOrder) {
  std::string name = GetParam();
  std::vector<std::string> expected = ExpectedHashes(name);
  ASSERT_FALSE(expected.empty());
  mImageAVI* image = Load(ReadAll(DataDir() + "/" + name));
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->GetFileRecord()->frameCount, static_cast<int32_t>(expected.size()));
  for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
    ASSERT_EQ(image->SeekFrame(i, 0), i);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    EXPECT_EQ(FrameHash(*image), expected[static_cast<size_t>(i)]) << name << " frame " << i;
  }
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

// Far jumps go through the index's key frames, near ones decode on, backward
// ones start again: the pictures are the same whichever way a frame is reached.
TEST_P(AviAgreement, SeeksReachTheSamePictures) {
  std::string name = GetParam();
  std::vector<std::string> expected = ExpectedHashes(name);
  int n = static_cast<int>(expected.size());
  mImageAVI* image = Load(ReadAll(DataDir() + "/" + name), true);
  ASSERT_TRUE(header_);
  for (int target : {n - 1, 3, n / 2 + 1, 0, n / 2 + 7, n - 2, 14, 16}) {
    if (target < 0 || target >= n) continue;
    image->SeekFrame(target, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), target);
    EXPECT_EQ(FrameHash(*image), expected[static_cast<size_t>(target)]) << name << " frame " << target;
  }
}

std::string TestName(const ::testing::TestParamInfo<const char*>& info) {
  std::string n = info.param;
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Files, AviAgreement,
                         ::testing::Values("raw_audio.avi", "raw_odd.avi", "mrle.avi", "cram.avi",
                                           "palette_changes.avi", "sound_u8.avi", "sound_s16.avi"),
                         TestName);

std::string Fnv(const Bytes& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

class AviSoundAgreement : public AviTest, public ::testing::WithParamInterface<const char*> {};

// Frame by frame at the movie's pace, as a sprite shows it: several chunks
// pass between two frames, and the last ones follow the last frame.
TEST_P(AviSoundAgreement, EverySoundByteIsHeardInOrder) {
  std::string name = GetParam();
  std::ifstream expectedFile(DataDir() + "/expected/" + name + ".sound");
  size_t expectedBytes = 0;
  std::string expectedHash;
  ASSERT_TRUE(expectedFile >> expectedBytes >> expectedHash);
  mImageAVI* image = Load(ReadAll(DataDir() + "/" + name));
  ASSERT_TRUE(header_);
  EXPECT_EQ(image->DataSize(), static_cast<int32_t>(expectedBytes));
  const auto* format = image->GetFormatRecord();
  EXPECT_EQ(image->LengthMs(), expectedBytes * 8000 / format->bitsPerSample / format->channels / format->rate);
  ASSERT_EQ(image->StreamPlay(0, 1), 1);
  const int frames = image->GetFileRecord()->frameCount;
  for (int i = 0; i < frames; ++i) {
    image->SeekFrame(i, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    RunFor(static_cast<uint32_t>(image->GetFrameRecord()->frameTime));
  }
  RunUntil([&] { return !image->Playing(); });
  EXPECT_FALSE(image->Playing()) << "the sound ends with its last byte";
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].bytes.size(), expectedBytes);
  EXPECT_EQ(Fnv(heard[0].bytes), expectedHash);
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, AviSoundAgreement, ::testing::Values("raw_audio.avi", "sound_u8.avi", "sound_s16.avi"),
                         TestName);

}  // namespace
}  // namespace avitest
