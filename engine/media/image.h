// mImage: the media-stream interface every image and sound offers, with the
// conversions between time, samples and bytes.
#pragma once

#include <cstdint>

#include "foundation/object.h"

class mImage : public virtual mObject {
 public:
  struct StreamRecord {
    int32_t length;   // number of positions
    int32_t units;    // 0 milliseconds, 1 samples, other values bytes
    int32_t current;  // current position; -1 = none
    int32_t reserved[11];  // belong to derived classes
  };
  struct FormatRecord {
    int32_t rate;           // samples per second per channel
    int32_t bitsPerSample;
    int32_t channels;
    int32_t reserved[3];
  };

  mImage();
  ~mImage() override = default;

  virtual int32_t StreamOpen(int32_t value) { return 0; }
  virtual int32_t StreamWriteHeader(int32_t value) { return 0; }
  virtual int32_t StreamSeek(int32_t position, int32_t origin) { return 0; }
  virtual int32_t StreamPlay(int32_t length, int32_t loops) { return 0; }
  virtual int32_t StreamPause() { return 0; }
  virtual int32_t StreamStop() { return 0; }
  virtual int32_t SetVolume(int32_t left, int32_t right) { return 0; }
  virtual int32_t StreamRead(void* buffer, int32_t count) { return 0; }
  virtual int32_t StreamWrite(const void* buffer, int32_t count) { return 1; }
  virtual int32_t SetPosition(int32_t position);
  virtual int32_t SetUnits(int32_t unitCode);
  virtual uint32_t TimeToSamples(uint32_t ms, uint32_t seconds, uint32_t minutes);
  virtual uint32_t TimeToBytes(uint32_t ms, uint32_t seconds, uint32_t minutes);
  virtual uint32_t SamplesToTime(uint32_t samples);
  virtual uint32_t SamplesToBytes(uint32_t samples);
  virtual uint32_t BytesToTime(uint32_t bytes);
  virtual uint32_t BytesToSamples(uint32_t bytes);
  virtual uint32_t UnitsToBytes(uint32_t value);
  virtual uint32_t BytesToUnits(uint32_t bytes);

  const StreamRecord* GetStreamRecord() const { return &stream; }
  const FormatRecord* GetFormatRecord() const { return &format; }

 protected:
  StreamRecord stream;
  FormatRecord format;
};
