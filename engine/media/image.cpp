#include "media/image.h"

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

// Unsigned 32-bit arithmetic throughout, as the stream fields are kept. A rate,
// sample size or channel count of 0 would divide by zero: such a stream has no
// samples, and every conversion into samples or time gives 0.
uint32_t mImage::TimeToSamples(uint32_t ms, uint32_t seconds, uint32_t minutes) {
  uint32_t time = ms + 1000u * seconds + 60000u * minutes;
  return (time * static_cast<uint32_t>(format.rate) + 999u) / 1000u * static_cast<uint32_t>(format.channels);
}

uint32_t mImage::TimeToBytes(uint32_t ms, uint32_t seconds, uint32_t minutes) {
  return SamplesToBytes(TimeToSamples(ms, seconds, minutes));
}

uint32_t mImage::SamplesToTime(uint32_t samples) {
  uint32_t rate = static_cast<uint32_t>(format.rate);
  uint32_t channels = static_cast<uint32_t>(format.channels);
  if (rate == 0 || channels == 0) return 0;
  return samples * 1000u / rate / channels;
}

uint32_t mImage::SamplesToBytes(uint32_t samples) {
  return (samples * static_cast<uint32_t>(format.bitsPerSample) + 7u) >> 3;
}

uint32_t mImage::BytesToTime(uint32_t bytes) { return SamplesToTime(BytesToSamples(bytes)); }

uint32_t mImage::BytesToSamples(uint32_t bytes) {
  uint32_t bits = static_cast<uint32_t>(format.bitsPerSample);
  if (bits == 0) return 0;
  return (8u * bytes + bits - 1u) / bits;
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
