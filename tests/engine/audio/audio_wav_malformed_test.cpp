// Sound files that are not what they claim, and headerless streams.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../media/media_test_util.h"
#include "audio/audio_wav.h"
#include "support/host_fixture.h"

namespace {

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void PutId(std::vector<uint8_t>* out, const char* id) { out->insert(out->end(), id, id + 4); }

std::vector<uint8_t> PcmFormat(uint32_t rate, uint32_t channels, uint32_t bits) {
  std::vector<uint8_t> f;
  Put16(&f, WAVE_FORMAT_PCM);
  Put16(&f, channels);
  Put32(&f, rate);
  Put32(&f, rate * channels * bits / 8);
  Put16(&f, channels * bits / 8);
  Put16(&f, bits);
  return f;
}

std::vector<uint8_t> Samples(size_t n) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7 + 3);
  return s;
}

// RIFF WAVE with the given "fmt " contents and a "data" chunk claiming dataClaim bytes.
std::vector<uint8_t> Wave(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& data, uint32_t dataClaim) {
  std::vector<uint8_t> out;
  PutId(&out, "RIFF");
  Put32(&out, 0);
  PutId(&out, "WAVE");
  PutId(&out, "fmt ");
  Put32(&out, static_cast<uint32_t>(fmt.size()));
  out.insert(out.end(), fmt.begin(), fmt.end());
  if (fmt.size() & 1) out.push_back(0);
  PutId(&out, "data");
  Put32(&out, dataClaim);
  out.insert(out.end(), data.begin(), data.end());
  uint32_t riff = static_cast<uint32_t>(out.size() - 8);
  std::memcpy(&out[4], &riff, 4);
  return out;
}

template <typename Done>
void RunUntil(Done done, uint32_t maxMs = 10000) {
  uint32_t start = headless::Now();
  MSG msg;
  while (!done() && headless::Now() - start < maxMs)
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

using AudioWavMalformedTest = testsupport::HeadlessTest;

TEST_F(AudioWavMalformedTest, ShortFormatChunkReadsMissingFieldsAsZeroAndDoesNotPlay) {
  std::vector<uint8_t> fmt = PcmFormat(11025, 1, 8);
  fmt.resize(6);  // tag, channels and half the rate
  mediatest::TempFile file(Wave(fmt, Samples(100), 100));
  mAudioWAV sound;
  ASSERT_TRUE(sound.Open(file.Path(), 0));
  ASSERT_EQ(sound.StreamOpen(0), 1);
  EXPECT_EQ(sound.GetFormatRecord()->rate, 11025 & 0xFFFF);
  EXPECT_EQ(sound.GetFormatRecord()->bitsPerSample, 0);
  EXPECT_EQ(sound.DataSize(), 100);
  EXPECT_EQ(sound.LengthSamples(), 0u);  // no division by a sample size of 0
  EXPECT_EQ(sound.StreamPlay(0, 1), 0);  // the device refuses the format
  EXPECT_EQ(sound.CallbackWindow(), nullptr);
}

TEST_F(AudioWavMalformedTest, ZeroRateChannelsOrSampleSizeNeverDivideAndNeverPlay) {
  for (auto fmt : {PcmFormat(0, 1, 8), PcmFormat(11025, 0, 8), PcmFormat(11025, 1, 0)}) {
    mediatest::TempFile file(Wave(fmt, Samples(64), 64));
    mAudioWAV sound;
    ASSERT_TRUE(sound.Open(file.Path(), 0));
    ASSERT_EQ(sound.StreamOpen(0), 1);
    EXPECT_EQ(sound.LengthMs(), 0u);
    sound.StreamSeek(10, 0);
    EXPECT_EQ(sound.StreamPlay(0, 1), 0);
  }
  EXPECT_TRUE(headless::PlayedSounds().empty());
}

TEST_F(AudioWavMalformedTest, DataChunkClaimingMoreThanTheFilePlaysWhatIsThere) {
  std::vector<uint8_t> samples = Samples(3000);
  mediatest::TempFile file(Wave(PcmFormat(11025, 1, 8), samples, 0x7FFFFF00));
  mAudioWAV sound;
  ASSERT_TRUE(sound.Open(file.Path(), 0));
  ASSERT_EQ(sound.StreamOpen(0), 1);
  EXPECT_EQ(sound.DataSize(), 3000);
  ASSERT_EQ(sound.StreamPlay(0, 2), 1);
  RunUntil([&] { return !sound.Playing(); });
  ASSERT_FALSE(sound.Playing());
  std::vector<uint8_t> twice = samples;
  twice.insert(twice.end(), samples.begin(), samples.end());
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == twice);
}

TEST_F(AudioWavMalformedTest, MissingChunksOrNoFileDoNotOpen) {
  mAudioWAV closed;
  EXPECT_EQ(closed.StreamOpen(0), 0);
  EXPECT_EQ(closed.StreamPlay(0, 1), 0);
  std::vector<uint8_t> noData = Wave(PcmFormat(11025, 1, 8), {}, 0);
  noData.resize(noData.size() - 8);  // drop the "data" header
  mediatest::TempFile file(noData);
  mAudioWAV sound;
  ASSERT_TRUE(sound.Open(file.Path(), 0));
  EXPECT_EQ(sound.StreamOpen(0), 0);
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AudioWavMalformedTest, HeaderlessStreamEndsWithItsFile) {
  std::vector<uint8_t> samples = Samples(20000);
  std::vector<uint8_t> bytes = PcmFormat(11025, 1, 8);
  bytes.insert(bytes.end(), samples.begin(), samples.end());
  mediatest::TempFile file(bytes);
  for (int loops : {1, 0}) {
    SCOPED_TRACE(loops);
    testsupport::StartHeadless();
    mAudioWAV sound;
    ASSERT_TRUE(sound.Open(file.Path(), 0));
    ASSERT_EQ(sound.StreamOpen(0), 1);
    EXPECT_EQ(sound.DataSize(), -1);
    EXPECT_EQ(sound.GetFormatRecord()->rate, 11025);
    ASSERT_EQ(sound.StreamPlay(0, loops), 1);
    RunUntil([&] { return !sound.Playing(); });
    EXPECT_FALSE(sound.Playing());
    EXPECT_TRUE(headless::PlayedSounds()[0].bytes == samples);
    sound.Close();
  }
}

TEST_F(AudioWavMalformedTest, NotImplementedHeaderWriteIsReported) {
  mAudioWAV sound;
  EXPECT_EQ(sound.StreamWriteHeader(0), 0);
  std::vector<std::string> reports = mediatest::TakeReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("Not implemented"), std::string::npos);
}

}  // namespace
