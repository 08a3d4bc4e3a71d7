// Sound files that are not what they claim, and headerless streams.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "byte_order/byte_sink.h"
#include "engine/media/media_test_util.h"
#include "media/audio_wav.h"
#include "support/host_fixture.h"

namespace {

using testsupport::RunUntil;

std::vector<uint8_t> PcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
  ByteSink f;
  f.U16(WAVE_FORMAT_PCM);
  f.U16(channels);
  f.U32(rate);
  f.U32(rate * channels * bits / 8);
  f.U16(static_cast<uint16_t>(channels * bits / 8));
  f.U16(bits);
  return f.Take();
}

std::vector<uint8_t> Samples(size_t n) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7 + 3);
  return s;
}

// RIFF WAVE with the given "fmt " contents and a "data" chunk claiming dataClaim bytes.
std::vector<uint8_t> Wave(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& data, uint32_t dataClaim) {
  ByteSink out;
  out.Code("RIFF");
  out.U32(0);
  out.Code("WAVE");
  out.Code("fmt ");
  out.U32(static_cast<uint32_t>(fmt.size()));
  out.Bytes(fmt);
  if (fmt.size() & 1) out.U8(0);
  out.Code("data");
  out.U32(dataClaim);
  out.Bytes(data);
  out.Patch32(4, static_cast<uint32_t>(out.Size() - 8));
  return out.Take();
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
