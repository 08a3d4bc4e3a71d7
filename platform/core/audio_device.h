// Wave output as a backend offers it: a device opened for one PCM format that
// takes bytes, plays them in order and tells how far it has got. The wave
// functions (winmm) keep the buffers and their flags on top of it.
#pragma once

#include <cstdint>
#include <memory>

namespace plat {

// 8-bit unsigned or 16-bit signed little-endian samples, channels interleaved.
struct AudioFormat {
  uint32_t rate = 0;  // samples per second per channel
  uint16_t channels = 0;
  uint16_t bits = 0;
  uint32_t BytesPerSecond() const { return rate * channels * (bits / 8u); }
};

// What the device says of itself (WAVEOUTCAPS).
struct AudioCaps {
  const char* name = "";
  uint32_t formats = 0;  // WAVE_FORMAT_1M08 ... bits
  uint32_t support = 0;  // WAVECAPS_ bits
};

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Plays bytes after those queued before. The device keeps its own copy.
  virtual void Queue(const uint8_t* data, uint32_t bytes) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // Drops every byte not yet played.
  virtual void Reset() = 0;
  // 16-bit left and right volumes; the device scales what it plays.
  virtual void SetVolume(uint16_t left, uint16_t right) = 0;
  // Bytes played (or dropped by Reset) since the device was opened.
  virtual uint64_t Consumed() = 0;
  // The backend time by which `consumed` bytes will have gone; false when it
  // cannot tell (paused): the caller then asks again later.
  virtual bool DueTime(uint64_t consumed, uint32_t* at) = 0;
};

// True for the formats every device plays: PCM of 8 or 16 bits, mono or stereo.
inline bool PlayableFormat(const AudioFormat& format) {
  return (format.bits == 8 || format.bits == 16) && (format.channels == 1 || format.channels == 2) &&
         format.rate >= 100 && format.rate <= 192000;
}

}  // namespace plat
