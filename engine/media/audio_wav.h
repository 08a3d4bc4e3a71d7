// mAudioWAV: a sound file played through the wave output device. The sound
// is streamed from the file through a ring of buffers; the device hands each
// finished buffer back to a hidden "mAudio" window on the thread that started
// playback, whose message loop refills and resubmits it.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "media/file.h"
#include "media/image.h"

class mAudioWAV : public virtual mObject, public virtual mFile, public virtual mImage {
 public:
  // One ring block: its link and handle, the device's header, then the sound data.
  struct BufferBlock {
    BufferBlock* next;
    HGLOBAL handle;
    WAVEHDR header;
    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + kBlockHeader; }
  };
  static constexpr uint32_t kBlockHeader = (sizeof(BufferBlock) + 15) & ~uint32_t{15};
  static constexpr uint32_t kDefaultBufferSize = 16384;
  static constexpr uint32_t kDefaultBufferCount = 2;

  mAudioWAV();
  ~mAudioWAV() override;

  int32_t StreamOpen(int32_t formatSize) override;
  int32_t StreamWriteHeader(int32_t value) override;
  int32_t StreamSeek(int32_t position, int32_t origin) override;
  int32_t StreamPlay(int32_t length, int32_t loops) override;
  int32_t StreamPause() override;
  int32_t StreamStop() override;
  int32_t SetVolume(int32_t left, int32_t right) override;
  int32_t StreamRead(void* buffer, int32_t count) override;
  int32_t StreamWrite(const void* buffer, int32_t count) override;
  int32_t SetPosition(int32_t position) override;

  // Fills and submits the next free buffer from the file: 1 when it is still
  // with the device.
  virtual int32_t FillBuffer(uint32_t size);
  void SetBuffering(uint32_t length, uint32_t count);

  // The device's messages for every playing sound.
  static LRESULT CALLBACK AudioWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // The fields this class keeps in the stream and format records.
  int32_t DeviceTag() const { return stream.reserved[0]; }
  int32_t DeviceCount() const { return stream.reserved[1]; }
  int32_t DeviceId() const { return stream.reserved[2]; }
  int32_t BestRate() const { return stream.reserved[3]; }
  int32_t BestBits() const { return stream.reserved[4]; }
  int32_t BestChannels() const { return stream.reserved[5]; }
  uint16_t VolumeLeft() const { return static_cast<uint16_t>(stream.reserved[6] & 0xFFFF); }
  uint16_t VolumeRight() const { return static_cast<uint16_t>(static_cast<uint32_t>(stream.reserved[6]) >> 16); }
  int32_t VolumeCaps() const { return stream.reserved[7]; }
  uint32_t PlayPosition() const { return static_cast<uint32_t>(stream.reserved[8]); }
  bool Playing() const { return stream.reserved[9] != 0; }
  bool Paused() const { return stream.reserved[10] != 0; }
  uint32_t LengthSamples() const { return static_cast<uint32_t>(format.reserved[0]); }
  int32_t DataSize() const { return format.reserved[1]; }
  uint32_t LengthMs() const { return static_cast<uint32_t>(format.reserved[2]); }

  HWAVEOUT WaveOut() const { return waveOut; }
  HWND CallbackWindow() const { return callbackWindow; }
  BufferBlock* FirstBuffer() const { return firstBuffer; }
  uint32_t BufferSize() const { return bufferSize; }
  uint32_t BufferCount() const { return bufferCount; }
  const WAVEFORMATEX* WaveFormat() const { return waveFormat; }

 protected:
  void ClosePlayback();
  void StartPlayback();
  void Unload();
  // The device handed a buffer back: by default it is filled again from the
  // file when the sound fills itself.
  virtual void BufferReturned();
  // The pass still takes sound and the next buffer of the ring is free.
  bool BufferFree() const;
  // Fills the next free buffer with size bytes (0: a whole buffer, more than
  // a buffer: a buffer's worth) from `bytes`, which holds at least that many,
  // or from the file when it is null, and submits it. 1 when the buffer is
  // still with the device.
  int32_t SubmitNext(const uint8_t* bytes, uint32_t size);

  HWAVEOUT waveOut = nullptr;
  HWND callbackWindow = nullptr;
  uint32_t bufferSize = kDefaultBufferSize;
  uint32_t bufferCount = kDefaultBufferCount;
  uint32_t remaining = 0;      // bytes of this pass not yet submitted
  uint32_t dataStart = 0;      // file offset of the first sound byte; 0 headerless
  int32_t unloadPending = 0;
  int32_t autoFill = 1;
  int32_t loops = 0;           // 1 once, n passes, 0 without end
  uint32_t playLength = 0;     // bytes per pass
  uint32_t startPosition = 0;  // where in the data each pass starts
  HGLOBAL formatBlock = nullptr;
  WAVEFORMATEX* waveFormat = nullptr;  // the locked copy of the "fmt " chunk
  BufferBlock* firstBuffer = nullptr;
  BufferBlock* currentBuffer = nullptr;
  uint32_t passDelivered = 0;  // bytes the file gave in this pass

 private:
  void QueryDevice();
  void ReadVolume();
  bool ReadFormat(uint32_t size);
  uint32_t BytesLeftInFile() const;
  uint32_t ReadIntoBuffer(uint8_t* data, uint32_t n);
  void FreeRing();

  int32_t& deviceTag() { return stream.reserved[0]; }
  int32_t& deviceCount() { return stream.reserved[1]; }
  int32_t& deviceId() { return stream.reserved[2]; }
  int32_t& volumes() { return stream.reserved[6]; }
  int32_t& volumeCaps() { return stream.reserved[7]; }
  uint32_t& playPosition() { return reinterpret_cast<uint32_t&>(stream.reserved[8]); }
  int32_t& playing() { return stream.reserved[9]; }
  int32_t& paused() { return stream.reserved[10]; }
  int32_t& dataSize() { return format.reserved[1]; }
};
