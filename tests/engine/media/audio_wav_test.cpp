// Sound playback on the headless device: what the device heard, and when the
// device, the window and the ring exist.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "byte_order/little_endian.h"
#include "engine/media/media_test_util.h"
#include "media/audio_wav.h"
#include "support/host_fixture.h"

namespace {

std::string Fixture(const char* name) { return std::string(ORVANEL_SOURCE_DIR) + "/tests/data/wav/" + name; }

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The sound data of a plain RIFF WAVE file, found independently of the engine.
std::vector<uint8_t> SoundData(const std::string& path) {
  std::vector<uint8_t> file = ReadAll(path);
  size_t at = 12;
  while (at + 8 <= file.size()) {
    uint32_t size = ReadLe32(&file[at + 4]);
    if (std::memcmp(&file[at], "data", 4) == 0) return {file.begin() + at + 8, file.begin() + at + 8 + size};
    at += 8 + ((size + 1) & ~1u);
  }
  return {};
}

std::vector<uint8_t> Repeat(const std::vector<uint8_t>& data, int times) {
  std::vector<uint8_t> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), data.begin(), data.end());
  return out;
}

using testsupport::RunFor;
using testsupport::RunUntil;

class AudioWavTest : public testsupport::HeadlessTest {
 protected:
  std::unique_ptr<mAudioWAV> Load(const char* name) {
    auto sound = std::make_unique<mAudioWAV>();
    EXPECT_TRUE(sound->Open(Fixture(name).c_str(), 0));
    return sound;
  }
  void PlayToEnd(mAudioWAV* sound) {
    RunUntil([sound] { return !sound->Playing(); });
    ASSERT_FALSE(sound->Playing());
  }
};

TEST_F(AudioWavTest, ReadsTheHeaderAndQueriesTheDevice) {
  auto sound = Load("stereo16.wav");
  EXPECT_EQ(sound->DeviceTag(), static_cast<int32_t>(FourCC("WAVE")));
  EXPECT_EQ(sound->DeviceCount(), 1);
  EXPECT_EQ(sound->DeviceId(), -1);
  EXPECT_EQ(sound->BestRate(), 44100);
  EXPECT_EQ(sound->BestBits(), 16);
  EXPECT_EQ(sound->BestChannels(), 2);
  EXPECT_EQ(sound->VolumeCaps(), 3);
  ASSERT_EQ(sound->StreamOpen(0), 1);
  EXPECT_EQ(sound->GetFormatRecord()->rate, 22050);
  EXPECT_EQ(sound->GetFormatRecord()->channels, 2);
  EXPECT_EQ(sound->GetFormatRecord()->bitsPerSample, 16);
  EXPECT_EQ(sound->DataSize(), static_cast<int32_t>(SoundData(Fixture("stereo16.wav")).size()));
  EXPECT_EQ(sound->LengthMs(), 500u);
}

TEST_F(AudioWavTest, PlaysTheDataOnceThenClosesDeviceWindowAndRing) {
  for (const char* name : {"mono8.wav", "stereo16.wav"}) {
    SCOPED_TRACE(name);
    auto sound = Load(name);
    ASSERT_EQ(sound->StreamPlay(0, 1), 1);
    EXPECT_TRUE(sound->Playing());
    HWND window = sound->CallbackWindow();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_NE(sound->WaveOut(), nullptr);
    EXPECT_NE(sound->FirstBuffer()->next, sound->FirstBuffer());  // longer than one buffer: two
    PlayToEnd(sound.get());
    EXPECT_EQ(sound->WaveOut(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(sound->FirstBuffer(), nullptr);
    EXPECT_EQ(sound->PlayPosition(), 0u);
    std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_FALSE(heard[0].open);
    EXPECT_EQ(heard[0].rate, static_cast<DWORD>(sound->GetFormatRecord()->rate));
    EXPECT_EQ(heard[0].bits, sound->GetFormatRecord()->bitsPerSample);
    EXPECT_TRUE(heard[0].bytes == SoundData(Fixture(name)));
    sound.reset();
    testsupport::StartHeadless();
  }
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AudioWavTest, ShortSoundHasARingOfOneBlock) {
  auto sound = Load("short8.wav");
  ASSERT_EQ(sound->StreamPlay(0, 1), 1);
  EXPECT_EQ(sound->FirstBuffer()->next, sound->FirstBuffer());
  PlayToEnd(sound.get());
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == SoundData(Fixture("short8.wav")));
}

TEST_F(AudioWavTest, RepeatsFollowEachOtherOnOneDevice) {
  for (const char* name : {"short8.wav", "mono8.wav"}) {
    SCOPED_TRACE(name);
    testsupport::StartHeadless();
    auto sound = Load(name);
    ASSERT_EQ(sound->StreamPlay(0, 3), 1);
    PlayToEnd(sound.get());
    std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(heard[0].bytes == Repeat(SoundData(Fixture(name)), 3));
  }
}

TEST_F(AudioWavTest, EndlessPlayGoesOnUntilStopped) {
  auto sound = Load("short8.wav");
  std::vector<uint8_t> data = SoundData(Fixture("short8.wav"));
  ASSERT_EQ(sound->StreamPlay(0, 0), 1);
  RunFor(550);  // five and a half passes of 0.1 s
  EXPECT_TRUE(sound->Playing());
  std::vector<uint8_t> heard = headless::PlayedSounds()[0].bytes;
  ASSERT_GT(heard.size(), 5 * data.size());
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), Repeat(data, 7).begin()));
  EXPECT_EQ(sound->StreamStop(), 1);
  EXPECT_FALSE(sound->Playing());
  EXPECT_EQ(sound->CallbackWindow(), nullptr);
  EXPECT_FALSE(headless::PlayedSounds()[0].open);
  EXPECT_EQ(sound->StreamStop(), 1);  // not playing: true at once
}

TEST_F(AudioWavTest, PlayWhilePlayingIsRefusedWhilePausedResumes) {
  auto sound = Load("mono8.wav");
  ASSERT_EQ(sound->StreamPlay(0, 1), 1);
  RunFor(200);
  HWAVEOUT device = sound->WaveOut();
  EXPECT_EQ(sound->StreamPlay(0, 1), 0);
  EXPECT_EQ(sound->WaveOut(), device);
  EXPECT_EQ(sound->StreamPause(), 1);
  EXPECT_EQ(sound->StreamPause(), 1);
  EXPECT_TRUE(sound->Paused());
  size_t before = headless::PlayedSounds()[0].bytes.size();
  RunFor(500);
  EXPECT_EQ(headless::PlayedSounds()[0].bytes.size(), before);
  EXPECT_EQ(sound->StreamPlay(0, 1), 1);
  EXPECT_FALSE(sound->Paused());
  PlayToEnd(sound.get());
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == SoundData(Fixture("mono8.wav")));
  EXPECT_EQ(sound->StreamPause(), 0);  // not playing
}

TEST_F(AudioWavTest, LengthBeyondTheDataPlaysToTheEnd) {
  auto sound = Load("mono8.wav");
  std::vector<uint8_t> data = SoundData(Fixture("mono8.wav"));
  sound->SetUnits(2);  // bytes
  ASSERT_EQ(sound->StreamPlay(static_cast<int32_t>(data.size()) + 5000, 1), 1);
  PlayToEnd(sound.get());
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == data);
}

TEST_F(AudioWavTest, SeekPlacesThePositionOnlyWhileStopped) {
  auto sound = Load("mono8.wav");
  std::vector<uint8_t> data = SoundData(Fixture("mono8.wav"));
  sound->SetUnits(2);
  EXPECT_EQ(sound->StreamSeek(1000, 0), 1000);
  EXPECT_EQ(sound->StreamSeek(500, 1), 1500);
  ASSERT_EQ(sound->StreamPlay(0, 1), 1);
  EXPECT_EQ(sound->StreamSeek(0, 0), 0);  // refused while playing
  PlayToEnd(sound.get());
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == std::vector<uint8_t>(data.begin() + 1500, data.end()));

  // At the end nothing is left to play; the sound is stopped and starts
  // from the beginning next time.
  EXPECT_EQ(sound->StreamSeek(0, 2), static_cast<int32_t>(data.size()));
  EXPECT_EQ(sound->StreamPlay(0, 1), 1);
  EXPECT_FALSE(sound->Playing());
  EXPECT_EQ(headless::PlayedSounds().size(), 1u);
  EXPECT_EQ(sound->PlayPosition(), 0u);
}

TEST_F(AudioWavTest, VolumeGoesToTheDeviceRightInTheHighHalf) {
  auto sound = Load("short8.wav");
  EXPECT_EQ(sound->SetVolume(0x8000, 0x4000), 1);
  DWORD value = 0;
  ASSERT_EQ(waveOutGetVolume(nullptr, &value), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(value, 0x40008000u);
  EXPECT_EQ(sound->VolumeLeft(), 0x8000);
  EXPECT_EQ(sound->VolumeRight(), 0x4000);
}

TEST_F(AudioWavTest, SingleVolumeControlGetsTheMeanOfBothSides) {
  headless::SetSoundDevices(1, WAVECAPS_VOLUME);
  auto sound = Load("short8.wav");
  EXPECT_EQ(sound->VolumeCaps(), 1);
  EXPECT_EQ(sound->SetVolume(0x8000, 0x4000), 1);
  EXPECT_EQ(sound->VolumeLeft(), 0x6000);
  EXPECT_EQ(sound->VolumeRight(), 0x6000);
  headless::SetSoundDevices(1, 0);
  mAudioWAV noControl;
  EXPECT_EQ(noControl.SetVolume(0x8000, 0x4000), 0);
}

TEST_F(AudioWavTest, NoSoundDeviceMeansSilence) {
  headless::SetSoundDevices(0);
  auto sound = Load("short8.wav");
  EXPECT_EQ(sound->DeviceTag(), 0);
  EXPECT_EQ(sound->StreamPlay(0, 1), 0);
  EXPECT_EQ(sound->SetVolume(1, 1), 0);
  EXPECT_TRUE(headless::PlayedSounds().empty());
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AudioWavTest, DestroyingAPlayingSoundStopsTheDeviceFirst) {
  auto sound = Load("mono8.wav");
  ASSERT_EQ(sound->StreamPlay(0, 0), 1);
  HWND window = sound->CallbackWindow();
  RunFor(100);
  sound.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(headless::PlayedSounds()[0].open);
  RunFor(100);  // no message reaches the gone sound
  EXPECT_TRUE(mediatest::TakeReports().empty());  // the file was closed, not left open
}

TEST_F(AudioWavTest, TwoSoundsPlayAtOnce) {
  auto a = Load("short8.wav");
  auto b = Load("stereo16.wav");
  ASSERT_EQ(a->StreamPlay(0, 2), 1);
  ASSERT_EQ(b->StreamPlay(0, 1), 1);
  PlayToEnd(b.get());
  PlayToEnd(a.get());
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_TRUE(heard[0].bytes == Repeat(SoundData(Fixture("short8.wav")), 2));
  EXPECT_TRUE(heard[1].bytes == SoundData(Fixture("stereo16.wav")));
}

TEST_F(AudioWavTest, PlaysFromAMemoryBlock) {
  std::vector<uint8_t> file = ReadAll(Fixture("mono8.wav"));
  mAudioWAV sound;
  sound.OpenMemory(file.data(), static_cast<int32_t>(file.size()));
  ASSERT_EQ(sound.StreamPlay(0, 2), 1);
  PlayToEnd(&sound);
  EXPECT_TRUE(headless::PlayedSounds()[0].bytes == Repeat(SoundData(Fixture("mono8.wav")), 2));
}

}  // namespace
