#include "media/image.h"

#include <cstdint>
#include <cstring>

mImage::mImage() {
  std::memset(&stream, 0, sizeof stream);
  std::memset(&format, 0, sizeof format);
  stream.current = -1;
  format.rate = 1;
  format.bitsPerSample = 8;
  format.channels = 1;
}

int32_t mImage::SetPosition(int32_t position) {
  if (position < stream.length) stream.current = position;
  return stream.current;
}

int32_t mImage::SetUnits(int32_t unitCode) {
  stream.units = unitCode;
  return unitCode;
}

// The results are 32-bit, as the stream fields are kept, but the products
// are not: 100 s of 44.1 kHz sound is 4.41 billion sample-milliseconds, so
// every conversion works in 64 bits and a result beyond 32 bits is held at
// the largest value. A rate, sample size or channel count of 0 would divide
// by zero: such a stream has no samples, and every conversion into samples
// or time gives 0.
namespace {

uint32_t Held(uint64_t value) { return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value); }

// A product that does not fit 64 bits is held at the largest value too.
uint64_t Times(uint64_t a, uint64_t b) {
  uint64_t product;
  return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

}  // namespace

uint32_t mImage::TimeToSamples(uint32_t ms, uint32_t seconds, uint32_t minutes) {
  uint64_t time = uint64_t{ms} + 1000u * uint64_t{seconds} + 60000u * uint64_t{minutes};
  uint64_t rate = static_cast<uint32_t>(format.rate), channels = static_cast<uint32_t>(format.channels);
  uint64_t scaled = Times(time, rate);
  if (scaled == UINT64_MAX) return UINT32_MAX;
  return Held(Times((scaled + 999u) / 1000u, channels));
}

uint32_t mImage::TimeToBytes(uint32_t ms, uint32_t seconds, uint32_t minutes) {
  return SamplesToBytes(TimeToSamples(ms, seconds, minutes));
}

uint32_t mImage::SamplesToTime(uint32_t samples) {
  uint32_t rate = static_cast<uint32_t>(format.rate);
  uint32_t channels = static_cast<uint32_t>(format.channels);
  if (rate == 0 || channels == 0) return 0;
  return Held(uint64_t{samples} * 1000u / rate / channels);
}

uint32_t mImage::SamplesToBytes(uint32_t samples) {
  return Held((uint64_t{samples} * static_cast<uint32_t>(format.bitsPerSample) + 7u) >> 3);
}

uint32_t mImage::BytesToTime(uint32_t bytes) { return SamplesToTime(BytesToSamples(bytes)); }

uint32_t mImage::BytesToSamples(uint32_t bytes) {
  uint32_t bits = static_cast<uint32_t>(format.bitsPerSample);
  if (bits == 0) return 0;
  return Held((8u * uint64_t{bytes} + bits - 1u) / bits);
}

uint32_t mImage::UnitsToBytes(uint32_t value) {
  if (stream.units == 0) return TimeToBytes(value, 0, 0);
  if (stream.units == 1) return SamplesToBytes(value);
  return value;
}

uint32_t mImage::BytesToUnits(uint32_t bytes) {
  if (stream.units == 0) return BytesToTime(bytes);
  if (stream.units == 1) return BytesToSamples(bytes);
  return bytes;
}
