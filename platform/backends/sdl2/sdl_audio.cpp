// Wave output through SDL audio in queueing mode: SDL's audio thread only
// takes bytes from its queue. How far it has got is the bytes handed over
// less those still queued; everything else happens on the program's thread.
#include <mmsystem.h>

#include <vector>

#include "backends/sdl2/sdl_backend.h"
#include "byte_order/little_endian.h"

namespace plat::sdl {
namespace {

class SdlOutput : public AudioOutput {
 public:
  SdlOutput(SDL_AudioDeviceID id, const AudioFormat& format) : id_(id), format_(format) {
    SDL_PauseAudioDevice(id_, 0);
  }
  ~SdlOutput() override { SDL_CloseAudioDevice(id_); }

  void Queue(const uint8_t* data, uint32_t bytes) override {
    const uint8_t* send = data;
    if (left_ != 0xFFFF || right_ != 0xFFFF) {
      scaled_.assign(data, data + bytes);
      Scale(scaled_.data(), bytes);
      send = scaled_.data();
    }
    if (SDL_QueueAudio(id_, send, bytes) == 0) handed_ += bytes;
  }
  void Pause() override { SDL_PauseAudioDevice(id_, 1); }
  void Resume() override { SDL_PauseAudioDevice(id_, 0); }
  void Reset() override { SDL_ClearQueuedAudio(id_); }
  void SetVolume(uint16_t left, uint16_t right) override {
    left_ = left;
    right_ = right;
  }
  uint64_t Consumed() override { return handed_ - SDL_GetQueuedAudioSize(id_); }
  bool DueTime(uint64_t consumed, uint32_t* at) override {
    if (SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_PAUSED) return false;
    uint64_t now = Consumed();
    uint32_t ticks = SDL_GetTicks();
    uint64_t rate = format_.BytesPerSecond();
    *at = consumed <= now || rate == 0 ? ticks : ticks + static_cast<uint32_t>((consumed - now) * 1000 / rate) + 1;
    return true;
  }

 private:
  void Scale(uint8_t* bytes, uint32_t count) {
    int frame = format_.channels * (format_.bits / 8);
    for (uint32_t i = 0; i + frame <= count; i += frame) {
      for (int c = 0; c < format_.channels; ++c) {
        uint32_t volume = (c == 0 || format_.channels == 1) ? left_ : right_;
        if (format_.bits == 8) {
          uint8_t& s = bytes[i + c];
          s = static_cast<uint8_t>((static_cast<int32_t>(s) - 128) * static_cast<int32_t>(volume) / 65535 + 128);
        } else {
          uint8_t* p = bytes + i + 2 * c;
          int32_t s = static_cast<int16_t>(ReadLe16(p));
          s = s * static_cast<int32_t>(volume) / 65535;
          WriteLe16(p, static_cast<uint16_t>(s));
        }
      }
    }
  }

  SDL_AudioDeviceID id_;
  AudioFormat format_;
  uint64_t handed_ = 0;
  uint16_t left_ = 0xFFFF, right_ = 0xFFFF;
  std::vector<uint8_t> scaled_;  // grows to the largest buffer once
};

}  // namespace

// No sound card (or no sound server) means no device: the program goes on silently.
int SdlBackend::AudioDeviceCount() {
  if (audioState_ == 0) audioState_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 ? 1 : -1;
  if (audioState_ < 0) return 0;
  int count = SDL_GetNumAudioDevices(0);
  return count < 0 ? 1 : count;  // -1: SDL cannot list them, the default device may still open
}

AudioCaps SdlBackend::AudioCapabilities() {
  AudioCaps caps;
  caps.name = "SDL Wave Out";
  caps.formats = 0xFFF;
  caps.support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
  return caps;
}

std::unique_ptr<AudioOutput> SdlBackend::OpenAudio(const AudioFormat& format) {
  if (AudioDeviceCount() <= 0 || !PlayableFormat(format)) return nullptr;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(format.rate);
  want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = 2048;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) return nullptr;
  return std::make_unique<SdlOutput>(id, format);
}

}  // namespace plat::sdl
