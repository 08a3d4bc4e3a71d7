// mtool's WAV commands: header facts, and playing a sound through the engine.
#include <cstdio>

#include "media/audio_wav.h"
#include "mtool/mtool.h"

namespace mtool {

bool IsWav(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == "wav";
}

// The sound's header read; false, with the reason given, when it is no WAV
// file. The engine takes a file without a RIFF header for a headerless
// stream; for mtool such a file is not a sound.
bool OpenWav(mAudioWAV& sound, const std::string& path) {
  if (!sound.Open(path.c_str(), 0)) return Fail(OpenFailure(path)) == 0;
  if (!sound.StreamOpen(0)) return Fail("not a WAV sound: no \"fmt \" and \"data\" chunks") == 0;
  if (sound.DataSize() < 0) return Fail("not a WAV sound: no RIFF WAVE header") == 0;
  return true;
}

int WavInfo(const std::string& path) {
  mAudioWAV sound;
  if (!OpenWav(sound, path)) {
    sound.Close();
    return 1;
  }
  const auto* format = sound.GetFormatRecord();
  const WAVEFORMATEX* wave = sound.WaveFormat();
  std::printf("format tag %u\nrate %d\nchannels %d\nbits %d\n", wave->wFormatTag, format->rate, format->channels,
              format->bitsPerSample);
  std::printf("data %d bytes\nsamples %u\nlength %u ms\n", sound.DataSize(), sound.LengthSamples(), sound.LengthMs());
  sound.StreamStop();
  sound.Close();
  return ErrorReported() ? 1 : 0;
}

int WavPlay(const std::string& path) {
  mAudioWAV sound;
  if (!OpenWav(sound, path)) {
    sound.Close();
    return 1;
  }
  if (sound.DeviceCount() == 0) {
    std::fprintf(stderr, "mtool: no sound device; nothing is heard\n");
    return 0;
  }
  if (!sound.StreamPlay(0, 1)) return Fail("the sound device does not play its format");
  // Playback goes on through the messages the device sends.
  MSG msg;
  while (sound.Playing() && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return ErrorReported() ? 1 : 0;
}

}  // namespace mtool
